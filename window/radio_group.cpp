#include "window/radio_group.h"

namespace convert {

// The frame lies under the controls drawn on it and must not paint over them.
DWORD RadioGroup::Style() const { return WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | BS_GROUPBOX; }

// A group box paints only its frame; its inside, which the panel does not
// paint under its children, is filled here. In dark mode the frame is drawn
// here too, in the palette's colour: the theme's is meant for light windows.
LRESULT RadioGroup::Message(UINT msg, WPARAM wparam, LPARAM lparam) {
    const Palette& palette = State().palette;
    if (msg == WM_ERASEBKGND) {
        RECT rect;
        GetClientRect(Handle(), &rect);
        FillRect(reinterpret_cast<HDC>(wparam), &rect, palette.FaceBrush());
        return 1;
    }
    if (msg == WM_PAINT && palette.Dark()) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(Handle(), &ps);
        RECT rect;
        GetClientRect(Handle(), &rect);
        // The frame's top runs through the middle of a caption's line, as
        // the system draws it.
        SelectObjectScope font(dc, CurrentFont());
        SIZE line{};
        GetTextExtentPoint32W(dc, L"0", 1, &line);
        rect.top += line.cy / 2;
        FrameSolid(dc, rect, kDark.frame);
        EndPaint(Handle(), &ps);
        return 0;
    }
    return Control::Message(msg, wparam, lparam);
}

}  // namespace convert
