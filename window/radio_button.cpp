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
