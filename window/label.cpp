#include "window/label.h"

#include "window/colours.h"

namespace convert {

DWORD Label::Style() const { return WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_NOTIFY; }

// Labels take the size of their text. It is measured on the screen's DC,
// which has the same metrics as the label's own, so that a label can be made
// at its size.
RECT Label::Bounds(const LayoutScale& scale, HWND parent) const {
    RECT bounds = Control::Bounds(scale, parent);
    const std::wstring text = Handle() ? Text() : std::wstring(Desc().text ? Desc().text : L"");
    WindowDC dc(nullptr);
    SelectObjectScope select(dc.get(), CurrentFont());
    SIZE size{};
    GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
    bounds.right = bounds.left + size.cx;
    bounds.bottom = bounds.top + size.cy;
    return bounds;
}

void Label::Command(WORD code) {
    if (code == STN_CLICKED) Fire(OnClick);
}

HBRUSH Label::CtlColor(HDC dc) {
    const bool link_hovered = State().hover.Over(*this) && Desc().role == AccessibleRole::Link;
    SetTextColor(dc, State().palette.LabelText(font_color_, link_hovered));
    SetBkMode(dc, TRANSPARENT);
    return State().palette.FaceBrush();
}

void Label::SetFontColor(ColorDesc color) {
    font_color_ = color;
    InvalidateRect(Handle(), nullptr, TRUE);
}

void Label::SetUnderline(bool underline) {
    if (underline == underline_) return;
    underline_ = underline;
    if (Desc().own_font) ApplyOwnFont(TRUE);
}

LRESULT Label::Message(UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
        case WM_MOUSEMOVE: {
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Handle(), 0};
            TrackMouseEvent(&track);
            State().hover.Moved(*this);
            break;
        }
        case WM_MOUSELEAVE:
            State().hover.Left(*this);
            return 0;
        default:
            break;
    }
    return Control::Message(msg, wparam, lparam);
}

void Label::Destroying() { State().hover.Gone(*this); }

}  // namespace convert
