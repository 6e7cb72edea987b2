// A thin layer over the standard Win32 controls: only the properties, events
// and operations the converter window uses. What every control shares lives
// here: creation from its row of the window description, its font,
// subclassing, the notifications its parent reflects back to it, and the
// answer to screen readers. Each kind has a file of its own (label.h,
// edit.h, radio_group.h, radio_button.h, button.h, panel.h); its events are
// plain members that the window binds to its handlers.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <string_view>

#include "window/accessible.h"
#include "window/form_description.h"
#include "window/colours.h"
#include "window/form_state.h"
#include "window/gdi.h"

namespace convert {

class Control;
using NotifyEvent = std::function<void(Control& sender)>;
using KeyPressEvent = std::function<void(Control& sender, wchar_t& key)>;

// Design units to pixels: the ratio of the font's actual text height to the
// height it had at design.
struct LayoutScale {
    int text_height = 13;
    int design_text_height = 13;
    int operator()(int units) const { return MulDiv(units, text_height, design_text_height); }
};

class Control {
public:
    explicit Control(const ControlDesc& desc) : desc_(desc) {}
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control() = default;

    const ControlDesc& Desc() const { return desc_; }
    HWND Handle() const { return hwnd_; }

    std::wstring Text() const;
    void SetText(std::wstring_view text);

    // Creates the window in its place with its font (the parent's unless it
    // has its own, which it builds for this DPI); the parent owns it
    // (destroyed with the parent). False when the system refuses.
    [[nodiscard]] bool Create(HWND parent, const LayoutScale& scale, int dpi, HFONT parent_font, FormState& state);
    // Places the control again and gives it its font, for a new scale or DPI.
    void Layout(const LayoutScale& scale, int dpi, HFONT parent_font);

    // Reflected from the parent.
    virtual void Command(WORD /*code*/) {}
    // The brush the control is painted with, its colours set in the DC;
    // nullptr leaves the system's.
    virtual HBRUSH CtlColor(HDC dc);
    // A button about to be drawn (NM_CUSTOMDRAW): CDRF_SKIPDEFAULT when the
    // control has drawn itself.
    virtual LRESULT CustomDraw(const NMCUSTOMDRAW& /*draw*/) { return CDRF_DODEFAULT; }

    static Control* FromHandle(HWND hwnd);

    // The label that names the control for screen readers; not ours.
    void SetLabelledBy(HWND label) { labelled_by_ = label; }

    NotifyEvent OnClick;
    NotifyEvent OnMouseEnter;
    NotifyEvent OnMouseLeave;
    KeyPressEvent OnKeyPress;

protected:
    virtual const wchar_t* ClassName() const = 0;
    virtual DWORD Style() const = 0;
    virtual DWORD ExStyle() const { return 0; }
    virtual LRESULT Message(UINT msg, WPARAM wparam, LPARAM lparam);
    LRESULT Default(UINT msg, WPARAM wparam, LPARAM lparam);
    // Runs the event's handler unless another handler is running; false when
    // refused.
    bool Fire(const NotifyEvent& event);
    // The control's place and size in its parent for this scale.
    virtual RECT Bounds(const LayoutScale& scale, HWND parent) const;
    // Runs once the control's window exists, with its font.
    virtual void Created() {}
    // Runs when the control's window goes (WM_NCDESTROY).
    virtual void Destroying() {}
    HFONT CurrentFont() const { return own_font_.get() ? own_font_.get() : parent_font_; }
    // Makes the control's own font again (for a new DPI or underline).
    void ApplyOwnFont(BOOL redraw);
    FormState& State() const { return *state_; }
    int Dpi() const { return dpi_; }
    // Whether the keyboard focus is to be shown (the system hides it until
    // the keyboard is used).
    bool ShowsFocus() const { return !(SendMessageW(hwnd_, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS); }

    ColorDesc font_color_ = clWindowText;
    bool underline_ = false;
    HWND previous_sibling_ = nullptr;  // the control created just before; not ours

private:
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    Font MakeOwnFont() const;

    const ControlDesc& desc_;
    HWND hwnd_ = nullptr;
    FormState* state_ = nullptr;  // the window's; not ours
    Font own_font_;
    HFONT parent_font_ = nullptr;  // we don't own it
    int dpi_ = 96;
    HWND labelled_by_ = nullptr;
    Accessible accessible_;
};

// What a person does to a control, by whatever route it arrives: the mouse,
// the keyboard, or the system's own click message.
bool IsInput(UINT msg);

// Reflects WM_COMMAND, WM_CTLCOLOR* and NM_CUSTOMDRAW from a child control
// back to it; true when handled. Used by every window that holds controls.
bool ReflectToChild(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT& result);

}  // namespace convert
