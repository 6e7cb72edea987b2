// One choice of a group: the radio buttons that share a parent.
#pragma once

#include "window/control.h"

namespace convert {

class RadioButton final : public Control {
public:
    static constexpr ControlKind kKind = ControlKind::RadioButton;
    using Control::Control;
    bool Checked() const;
    void Command(WORD code) override;
    LRESULT CustomDraw(const NMCUSTOMDRAW& draw) override;

private:
    const wchar_t* ClassName() const override { return L"Button"; }
    DWORD Style() const override;
    // The button's OnClick runs when it becomes checked, never when it
    // already was; the checked button of the group is its tab stop.
    void SyncGroup();
    bool was_checked_ = false;
};

}  // namespace convert
