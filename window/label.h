// A static text that sizes itself to its text; a label with events is a
// link: it follows the pointer in and out (see hover.h) and takes clicks.
#pragma once

#include "window/control.h"

namespace convert {

class Label final : public Control {
public:
    static constexpr ControlKind kKind = ControlKind::Label;
    using Control::Control;
    void Command(WORD code) override;
    HBRUSH CtlColor(HDC dc) override;

    void SetFontColor(ColorDesc color);
    void SetUnderline(bool underline);

    // For the window's Hover: false when the handler was refused.
    bool FireMouseEnter() { return Fire(OnMouseEnter); }
    bool FireMouseLeave() { return Fire(OnMouseLeave); }

private:
    const wchar_t* ClassName() const override { return L"Static"; }
    DWORD Style() const override;
    LRESULT Message(UINT msg, WPARAM wparam, LPARAM lparam) override;
    RECT Bounds(const LayoutScale& scale, HWND parent) const override;
    void Destroying() override;
};

}  // namespace convert
