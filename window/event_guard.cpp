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

std::u16string FromAscii(const char* text) {
    std::u16string out;
    for (; *text; ++text) out += static_cast<char16_t>(static_cast<unsigned char>(*text));
    return out;
}
}  // namespace

void SetErrorSink(ErrorSink sink) { Sink() = sink; }

void RunGuarded(GuardedCall handler) {
    std::u16string message;
    try {
        handler();
        return;
    } catch (const Exception& e) {
        message = e.Message();
    } catch (const std::bad_alloc&) {
        message = u"Out of memory";
    } catch (const std::exception& e) {
        message = FromAscii(e.what());
    }
    if (Sink().show) Sink().show(Sink().owner, message);
}

}  // namespace convert
