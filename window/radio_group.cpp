#include "window/radio_group.h"

namespace convert {

// The frame lies under the controls drawn on it and must not paint over them.
DWORD RadioGroup::Style() const { return WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | BS_GROUPBOX; }

// A group box paints only its frame; its inside, which the panel does not
// paint under its children, is filled here.
LRESULT RadioGroup::Message(UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == WM_ERASEBKGND) {
        RECT rect;
        GetClientRect(Handle(), &rect);
        FillRect(reinterpret_cast<HDC>(wparam), &rect, GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    return Control::Message(msg, wparam, lparam);
}

}  // namespace convert
