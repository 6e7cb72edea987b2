#include "window/edit.h"

#include "window/event_guard.h"

namespace convert {

DWORD Edit::Style() const { return WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL | ES_LEFT; }

void Edit::Created() {
    SendMessageW(Handle(), EM_SETLIMITTEXT, 0, 0);  // no length limit
}

// In dark mode the field is dark. The system draws the caret by inverting
// what is under it and the selection in its highlight colours, so both stay
// visible on it.
HBRUSH Edit::CtlColor(HDC dc) {
    if (!State().palette.Dark()) return nullptr;
    SetTextColor(dc, kDark.text);
    SetBkColor(dc, kDark.field);
    return State().palette.FieldBrush();
}

LRESULT Edit::Message(UINT msg, WPARAM wparam, LPARAM lparam) {
    // The sunken edge in the palette: the theme's is white.
    if (msg == WM_NCPAINT && State().palette.Dark()) {
        HDC dc = GetWindowDC(Handle());
        RECT rect;
        GetWindowRect(Handle(), &rect);
        OffsetRect(&rect, -rect.left, -rect.top);
        FrameSolid(dc, rect, kDark.frame);
        InflateRect(&rect, -1, -1);
        FrameSolid(dc, rect, kDark.field);
        ReleaseDC(Handle(), dc);
        return 0;
    }
    if (msg == WM_CHAR && OnKeyPress) {
        wchar_t key = static_cast<wchar_t>(wparam);
        // A filter that cannot run lets nothing through.
        if (!RunGuarded([&] { OnKeyPress(*this, key); }) || key == 0) return 0;
        wparam = key;
    }
    return Control::Message(msg, wparam, lparam);
}

}  // namespace convert
