// A frame drawn around other controls; it has no caption and no items.
#pragma once

#include "window/control.h"

namespace convert {

class RadioGroup final : public Control {
public:
    static constexpr ControlKind kKind = ControlKind::RadioGroup;
    using Control::Control;

private:
    const wchar_t* ClassName() const override { return L"Button"; }
    DWORD Style() const override;
    LRESULT Message(UINT msg, WPARAM wparam, LPARAM lparam) override;
};

}  // namespace convert
