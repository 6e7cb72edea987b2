#include "window/button.h"

namespace convert {

DWORD Button::Style() const { return WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON; }

void Button::Command(WORD code) {
    if (code == BN_CLICKED) Fire(OnClick);
}

// In dark mode the button draws itself: the themes of Windows before 10 and
// of Wine have no dark button, and Windows 10's dark one has only an
// undocumented name. Pressed, under the pointer and focused all show.
LRESULT Button::CustomDraw(const NMCUSTOMDRAW& draw) {
    if (!State().palette.Dark() || draw.dwDrawStage != CDDS_PREPAINT) return CDRF_DODEFAULT;
    const UINT state = draw.uItemState;
    const bool pressed = (state & CDIS_SELECTED) != 0;
    RECT rect = draw.rc;
    FillSolid(draw.hdc, rect, pressed ? kDark.button_pressed : (state & CDIS_HOT) ? kDark.button_hot : kDark.button);
    FrameSolid(draw.hdc, rect, (state & CDIS_FOCUS) ? kDark.text : kDark.frame);

    const std::wstring text = Text();
    SelectObjectScope font(draw.hdc, CurrentFont());
    SetBkMode(draw.hdc, TRANSPARENT);
    SetTextColor(draw.hdc, kDark.text);
    RECT label = rect;
    if (pressed) OffsetRect(&label, 1, 1);
    DrawTextW(draw.hdc, text.c_str(), static_cast<int>(text.size()), &label, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if ((state & CDIS_FOCUS) && ShowsFocus()) {
        const int inset = MulDiv(3, Dpi(), 96);
        InflateRect(&rect, -inset, -inset);
        DrawFocusRect(draw.hdc, &rect);
    }
    return CDRF_SKIPDEFAULT;
}

}  // namespace convert
