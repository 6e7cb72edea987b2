// The few pieces of the C++ runtime that the program defines itself, so that
// the shipped .exe carries only what it uses. The program is built without
// exceptions: what the runtime would throw ends the program here, after the
// application's error box has said why, and neither the unwinder nor the
// runtime's exception support is linked (bench/size-report.py shows what
// each library object weighs).
#include <windows.h>

#include <cstdlib>
#include <iterator>
#include <new>
#include <string>
#include <string_view>

#include "window/event_guard.h"

#if __cpp_exceptions
#error "These hooks are for the program built with -fno-exceptions"
#endif

namespace {

// The error box without allocating, for when there is no application yet or
// showing its box ran out of memory itself: the text follows the same "."
// rule, the caption is the system's.
[[noreturn]] void ShowPlainAndEnd(std::u16string_view message) {
    wchar_t text[256];
    std::size_t length = 0;
    for (; length < message.size() && length < std::size(text) - 2; ++length) text[length] = message[length];
    if (length > 0 && text[length - 1] > L'.') text[length++] = L'.';
    text[length] = L'\0';
    MessageBoxW(nullptr, text, nullptr, MB_OK | MB_ICONERROR | MB_TASKMODAL);
    ExitProcess(3);
}

// A failure that the program cannot carry on from: shown in the application's
// error box, then the process ends with the exit code of abort().
[[noreturn]] void EndWithError(std::u16string_view message) {
    static bool ending = false;
    if (ending) ShowPlainAndEnd(message);  // the box below failed to allocate
    ending = true;
    if (!convert::ReportError(std::u16string(message))) ShowPlainAndEnd(message);
    ExitProcess(3);
}

[[noreturn]] void EndWithRuntimeError(const char* what) {
    char16_t text[128];
    std::size_t length = 0;
    for (; what[length] && length < std::size(text); ++length) {
        text[length] = static_cast<char16_t>(static_cast<unsigned char>(what[length]));
    }
    EndWithError(std::u16string_view(text, length));
}

}  // namespace

// The runtime's versions throw std::bad_alloc, and the nothrow one catches
// it, which links the exception support. No new-handler: the program sets
// none.
void* operator new(std::size_t size) {
    if (void* memory = std::malloc(size ? size : 1)) return memory;
    std::__throw_bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size ? size : 1); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size ? size : 1); }

// What the containers, strings and std::function call when they must throw.
// A failed allocation is shown with the text the error display used to give
// it; the rest, misuses and impossible sizes, with the runtime's own text.
namespace std {
void __throw_bad_alloc() { EndWithError(u"Out of memory"); }
void __throw_bad_array_new_length() { EndWithError(u"Out of memory"); }
void __throw_bad_function_call() { EndWithRuntimeError("bad_function_call"); }
void __throw_length_error(const char* what) { EndWithRuntimeError(what); }
void __throw_logic_error(const char* what) { EndWithRuntimeError(what); }
void __throw_out_of_range_fmt(const char* format, ...) { EndWithRuntimeError(format); }
}  // namespace std
