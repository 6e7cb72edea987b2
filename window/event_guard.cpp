#include "window/event_guard.h"

#include <exception>
#include <new>

#include "core/errors.h"

namespace convert {
namespace {
ErrorSink& Sink() {
    static ErrorSink sink;
    return sink;
}

bool running = false;

// Marks a handler as running for as long as it lives.
class Running {
public:
    Running() noexcept { running = true; }
    ~Running() { running = false; }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;
};

#if __cpp_exceptions
std::u16string FromAscii(const char* text) {
    std::u16string out;
    for (; *text; ++text) out += static_cast<char16_t>(static_cast<unsigned char>(*text));
    return out;
}
#endif
}  // namespace

void SetErrorSink(ErrorSink sink) { Sink() = sink; }

bool HandlerRunning() { return running; }

bool ReportError(const std::u16string& message) {
    if (!Sink().show) return false;
    Sink().show(Sink().owner, message);
    return true;
}

#if __cpp_exceptions
bool RunGuarded(GuardedCall handler) {
    if (running) return false;
    const Running scope;
    std::u16string message;
    try {
        handler();
        return true;
    } catch (const Exception& e) {
        message = e.Message();
    } catch (const std::bad_alloc&) {
        message = u"Out of memory";
    } catch (const std::exception& e) {
        message = FromAscii(e.what());
    }
    ReportError(message);
    return true;
}
#else
bool RunGuarded(GuardedCall handler) {
    if (running) return false;
    const Running scope;
    handler();
    return true;
}
#endif

}  // namespace convert
