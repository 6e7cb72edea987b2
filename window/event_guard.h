// Every event handler runs inside this guard: an error that a handler does not
// catch ends that handler and goes to the application's error display, and
// never unwinds through the system's window procedures. Without exceptions
// (the shipped program) the guard catches nothing.
//
// Handlers run one at a time: while one runs (its error box included, which
// runs a message loop of its own), any other is refused, not deferred.
#pragma once

#include <memory>
#include <string>
#include <type_traits>

namespace convert {

// Where errors go: the application's error display, a function and the
// object it belongs to (not ours).
struct ErrorSink {
    void (*show)(const void* owner, const std::u16string& message) = nullptr;
    const void* owner = nullptr;
};

// What RunGuarded calls: the caller's callable itself, not a copy, since it is
// called before RunGuarded returns (a std::function would copy it and bring
// its type-erasing code for each kind of handler).
class GuardedCall {
public:
    template <typename F>
        requires(!std::is_same_v<std::remove_cvref_t<F>, GuardedCall> && std::is_invocable_v<const F&>)
    GuardedCall(const F& call) noexcept  // implicit: callers hand over a lambda
        : call_(std::addressof(call)), invoke_([](const void* c) { (*static_cast<const F*>(c))(); }) {}

    void operator()() const { invoke_(call_); }

private:
    const void* call_;  // not ours
    void (*invoke_)(const void*);
};

void SetErrorSink(ErrorSink sink);
// False when the handler was refused because another one is running.
bool RunGuarded(GuardedCall handler);
// True while a handler runs: the window takes no input then.
bool HandlerRunning();

// Hands a message to the application's error display: what RunGuarded does
// with an error that a handler lets escape, for the handlers of a program
// built without exceptions, which return their errors instead. False when
// there is no error display (yet).
bool ReportError(const std::u16string& message);

}  // namespace convert
