// A one-line text field; its OnKeyPress sees each typed character first and
// may discard it.
#pragma once

#include "window/control.h"

namespace convert {

class Edit final : public Control {
public:
    static constexpr ControlKind kKind = ControlKind::Edit;
    using Control::Control;
    HBRUSH CtlColor(HDC dc) override;

private:
    const wchar_t* ClassName() const override { return L"Edit"; }
    DWORD Style() const override;
    DWORD ExStyle() const override { return WS_EX_CLIENTEDGE; }
    LRESULT Message(UINT msg, WPARAM wparam, LPARAM lparam) override;
    void Created() override;
};

}  // namespace convert
