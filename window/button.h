// A push button; not the default button (Enter does not press it).
#pragma once

#include "window/control.h"

namespace convert {

class Button final : public Control {
public:
    static constexpr ControlKind kKind = ControlKind::Button;
    using Control::Control;
    void Command(WORD code) override;
    LRESULT CustomDraw(const NMCUSTOMDRAW& draw) override;

private:
    const wchar_t* ClassName() const override { return L"Button"; }
    DWORD Style() const override;
};

}  // namespace convert
