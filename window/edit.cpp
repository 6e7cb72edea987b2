#include "window/edit.h"

#include "window/event_guard.h"

namespace convert {

DWORD Edit::Style() const { return WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL | ES_LEFT; }

void Edit::Created() {
    SendMessageW(Handle(), EM_SETLIMITTEXT, 0, 0);  // no length limit
}

LRESULT Edit::Message(UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == WM_CHAR && OnKeyPress) {
        wchar_t key = static_cast<wchar_t>(wparam);
        // A filter that cannot run lets nothing through.
        if (!RunGuarded([&] { OnKeyPress(*this, key); }) || key == 0) return 0;
        wparam = key;
    }
    return Control::Message(msg, wparam, lparam);
}

}  // namespace convert
