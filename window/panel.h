// The container that fills the window: a raised one-pixel bevel; it passes
// its children's notifications back to them.
#pragma once

#include "window/control.h"

namespace convert {

class Panel final : public Control {
public:
    static constexpr ControlKind kKind = ControlKind::Panel;
    using Control::Control;
    // False when the system refuses.
    [[nodiscard]] static bool Register();

private:
    const wchar_t* ClassName() const override { return L"TPanel"; }
    DWORD Style() const override;
    DWORD ExStyle() const override { return WS_EX_CONTROLPARENT; }
    LRESULT Message(UINT msg, WPARAM wparam, LPARAM lparam) override;
};

}  // namespace convert
