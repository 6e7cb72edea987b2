// A thin layer over the standard Win32 controls: only the properties, events
// and operations the converter window uses. Each control is built from its
// row of the window description; its events are plain members that the
// window binds to its handlers.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "window/accessible.h"
#include "window/form_description.h"
#include "window/gdi.h"

namespace convert {

class Control;
class Label;
using NotifyEvent = std::function<void(Control& sender)>;
using KeyPressEvent = std::function<void(Control& sender, wchar_t& key)>;

// Design units to pixels: the ratio of the font's actual text height to the
// height it had at design.
struct LayoutScale {
    int text_height = 13;
    int design_text_height = 13;
    int operator()(int units) const { return MulDiv(units, text_height, design_text_height); }
};

COLORREF ToColorRef(ColorDesc color);

// Whether the user's high-contrast theme is on. The window reads it at start
// and again whenever the system's settings or colours change; while it is on,
// the window draws only in the theme's colours.
bool HighContrast();
void SetHighContrast(bool on);
bool SystemHighContrast();

// The colour a label's text is drawn in: its font colour (the described one,
// or the one a handler gave it), unless high contrast is on; then the link
// look (a link under the pointer) takes the theme's link colour and every
// other text the theme's text colour. System colours are resolved here, when
// drawing, so a change of the system's colours shows at once.
COLORREF LabelTextColor(ColorDesc font_color, bool link_hovered, bool high_contrast);

// The label the pointer is in, for one window and shared by its controls; a
// label that goes takes itself out.
class Hover {
public:
    // Every window of the program reports the window the pointer is over
    // (WM_SETCURSOR), so that a label whose WM_MOUSELEAVE was lost still leaves.
    void PointerOver(HWND hwnd);
    // Once the error box has gone: a leave refused while it was up is made
    // now if the pointer is no longer over the label.
    void Recheck();

private:
    Label* label_ = nullptr;  // not ours

    friend class Label;
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
    [[nodiscard]] bool Create(HWND parent, const LayoutScale& scale, int dpi, HFONT parent_font, Hover& hover);
    // Places the control again and gives it its font, for a new scale or DPI.
    void Layout(const LayoutScale& scale, int dpi, HFONT parent_font);

    // Reflected from the parent.
    virtual void Command(WORD /*code*/) {}
    virtual HBRUSH CtlColor(HDC dc);

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
    void ApplyOwnFont(BOOL redraw);

    ColorDesc font_color_ = clWindowText;
    HWND previous_sibling_ = nullptr;  // the control created just before; not ours
    Hover* hover_ = nullptr;           // the window's; not ours

private:
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    Font MakeOwnFont() const;

    const ControlDesc& desc_;
    HWND hwnd_ = nullptr;
    Font own_font_;
    HFONT parent_font_ = nullptr;  // we don't own it
    int dpi_ = 96;
    bool underline_ = false;
    HWND labelled_by_ = nullptr;
    Accessible accessible_;

    friend class Label;
};

class Label final : public Control {
public:
    using Control::Control;
    void Command(WORD code) override;
    HBRUSH CtlColor(HDC dc) override;

    void SetFontColor(ColorDesc color);
    void SetUnderline(bool underline);

private:
    const wchar_t* ClassName() const override { return L"Static"; }
    DWORD Style() const override;
    LRESULT Message(UINT msg, WPARAM wparam, LPARAM lparam) override;
    RECT Bounds(const LayoutScale& scale, HWND parent) const override;
    void Destroying() override;
    void Enter();
    void Leave();

    friend class Hover;
};

class Edit final : public Control {
public:
    using Control::Control;

private:
    const wchar_t* ClassName() const override { return L"Edit"; }
    DWORD Style() const override;
    DWORD ExStyle() const override { return WS_EX_CLIENTEDGE; }
    LRESULT Message(UINT msg, WPARAM wparam, LPARAM lparam) override;
    void Created() override;
};

// A frame drawn around other controls; it has no caption and no items.
class RadioGroup final : public Control {
public:
    using Control::Control;

private:
    const wchar_t* ClassName() const override { return L"Button"; }
    DWORD Style() const override;
    LRESULT Message(UINT msg, WPARAM wparam, LPARAM lparam) override;
};

class RadioButton final : public Control {
public:
    using Control::Control;
    bool Checked() const;
    void Command(WORD code) override;

private:
    const wchar_t* ClassName() const override { return L"Button"; }
    DWORD Style() const override;
    // The button's OnClick runs when it becomes checked, never when it
    // already was; the checked button of the group is its tab stop.
    void SyncGroup();
    bool was_checked_ = false;
};

class Button final : public Control {
public:
    using Control::Control;
    void Command(WORD code) override;

private:
    const wchar_t* ClassName() const override { return L"Button"; }
    DWORD Style() const override;
};

// The container that fills the window: a raised one-pixel bevel; it passes
// its children's notifications back to them.
class Panel final : public Control {
public:
    using Control::Control;
    // False when the system refuses.
    [[nodiscard]] static bool Register();

private:
    const wchar_t* ClassName() const override { return L"TPanel"; }
    DWORD Style() const override;
    DWORD ExStyle() const override { return WS_EX_CONTROLPARENT; }
    LRESULT Message(UINT msg, WPARAM wparam, LPARAM lparam) override;
};

// What a person does to a control, by whatever route it arrives: the mouse,
// the keyboard, or the system's own click message.
bool IsInput(UINT msg);

// Reflects WM_COMMAND and WM_CTLCOLOR* from a child control back to it;
// true when handled. Used by every window that holds controls.
bool ReflectToChild(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT& result);

// Builds the LOGFONT of a described font at a DPI, in the face that shows the
// window's texts (see SetDisplayFace).
LOGFONTW MakeLogFont(const FontDesc& font, int dpi);

// Where the designed face has no glyphs for the window's Chinese texts, every
// font is made in this face instead; empty keeps the designed face.
void SetDisplayFace(std::wstring face);

}  // namespace convert
