#include "window/radio_button.h"

#include "window/event_guard.h"

namespace convert {

DWORD RadioButton::Style() const {
    DWORD style = WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON;
    if (Desc().tab_stop) style |= WS_TABSTOP;
    // Radio buttons that share a parent form one group, which the first starts.
    const Control* previous = FromHandle(previous_sibling_);
    if (!previous || previous->Desc().kind != ControlKind::RadioButton) style |= WS_GROUP;
    return style;
}

bool RadioButton::Checked() const { return SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

// A notification while another handler runs is no click of the user's (the
// button takes none then); the group is looked at again at the next one.
void RadioButton::Command(WORD code) {
    if (code == BN_CLICKED && !HandlerRunning()) SyncGroup();
}

// A themed radio button draws its text in the theme's colour, black,
// whatever the window's colours: in dark mode it is drawn here, circle and
// text, in the palette's colours.
LRESULT RadioButton::CustomDraw(const NMCUSTOMDRAW& draw) {
    if (!State().palette.Dark() || draw.dwDrawStage != CDDS_PREPAINT) return CDRF_DODEFAULT;
    HDC dc = draw.hdc;
    const UINT state = draw.uItemState;
    RECT rect = draw.rc;
    FillSolid(dc, rect, kDark.face);

    const int size = MulDiv(13, Dpi(), 96);
    const int top = (rect.top + rect.bottom - size) / 2;
    {
        SelectObjectScope pen(dc, GetStockObject(DC_PEN));
        SelectObjectScope brush(dc, GetStockObject(DC_BRUSH));
        SetDCPenColor(dc, (state & (CDIS_HOT | CDIS_SELECTED)) ? kDark.text : kDark.frame);
        SetDCBrushColor(dc, (state & CDIS_SELECTED) ? kDark.button_pressed : kDark.field);
        Ellipse(dc, rect.left, top, rect.left + size, top + size);
        if (Checked()) {
            const int inset = size * 3 / 10;
            SetDCPenColor(dc, kDark.text);
            SetDCBrushColor(dc, kDark.text);
            Ellipse(dc, rect.left + inset, top + inset, rect.left + size - inset, top + size - inset);
        }
    }

    const std::wstring text = Text();
    SelectObjectScope font(dc, CurrentFont());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kDark.text);
    RECT label = rect;
    label.left += size + MulDiv(3, Dpi(), 96);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &label, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    if ((state & CDIS_FOCUS) && ShowsFocus()) {
        RECT extent = label;
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &extent, DT_CALCRECT | DT_SINGLELINE);
        const int height = extent.bottom - extent.top;
        extent.top = (label.top + label.bottom - height) / 2 - 1;
        extent.bottom = extent.top + height + 2;
        extent.left -= 1;
        extent.right += 1;
        DrawFocusRect(dc, &extent);
    }
    return CDRF_SKIPDEFAULT;
}

void RadioButton::SyncGroup() {
    // Visit every radio button of this parent: the auto radio button has
    // already unchecked the others.
    for (HWND sibling = GetWindow(GetParent(Handle()), GW_CHILD); sibling;
         sibling = GetWindow(sibling, GW_HWNDNEXT)) {
        Control* control = Control::FromHandle(sibling);
        if (!control || control->Desc().kind != ControlKind::RadioButton) continue;
        auto* radio = static_cast<RadioButton*>(control);
        const bool checked = radio->Checked();
        LONG_PTR style = GetWindowLongPtrW(sibling, GWL_STYLE);
        style = checked ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
        SetWindowLongPtrW(sibling, GWL_STYLE, style);
        const bool became_checked = checked && !radio->was_checked_;
        radio->was_checked_ = checked;
        if (became_checked) radio->Fire(radio->OnClick);
    }
}

}  // namespace convert
