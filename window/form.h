// A top-level window built from its description: one static window
// procedure, `this` stored at WM_NCCREATE, one HandleMessage switch.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "window/build_error.h"
#include "window/controls.h"
#include "window/form_description.h"
#include "window/gdi.h"

namespace convert {

class Form;

// A member of a window that points at one of its controls, found by name
// once the window is built: the member's declaration is all a window needs
// to reach a control of its description.
class ControlSlot {
public:
    ControlSlot(Form& form, const char* name, ControlKind kind);
    ControlSlot(const ControlSlot&) = delete;
    ControlSlot& operator=(const ControlSlot&) = delete;

protected:
    ~ControlSlot() = default;
    Control* control_ = nullptr;  // the window's

private:
    friend class Form;
    const char* name_;
    ControlKind kind_;
    ControlSlot* next_ = nullptr;  // the window's next slot
};

// The control named `name`, of the kind T; usable as a T*.
template <typename T>
class ControlRef final : public ControlSlot {
public:
    ControlRef(Form& form, const char* name) : ControlSlot(form, name, T::kKind) {}
    T* get() const { return static_cast<T*>(control_); }
    operator T*() const { return get(); }
    T* operator->() const { return get(); }
    T& operator*() const { return *get(); }
};

// The framework's size limits; 0 means no limit.
struct SizeConstraints {
    int min_width = 0, max_width = 0, min_height = 0, max_height = 0;
};

class Form {
public:
    explicit Form(const FormDesc& desc) : desc_(desc) {}
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
    virtual ~Form();

    // Creates the window and its controls at the designed place, binds
    // every described event to the handler of that name and points the
    // window's ControlRef members at their controls. The error names a
    // handler or control the window does not have, or says that the system
    // refused.
    std::optional<BuildError> Build();
    // Runs OnShow, then shows the window with the launcher's show command.
    void Show(int show_command);
    // For the event loop, before it dispatches a message it has read: true
    // when it is to be dropped, input posted to the window while the error
    // box was up and read only once the box has gone.
    bool DropsQueued(const MSG& msg);

    HWND Handle() const { return hwnd_; }
    int Width() const;
    int Height() const;
    Control* Find(std::string_view name) const;  // null when there is none

    // Whether the window draws in high contrast: what the system said when
    // last asked.
    bool HighContrast() const { return state_.palette.HighContrast(); }

    SizeConstraints Constraints;
    NotifyEvent OnShow;

protected:
    // The window's methods by name, for binding the description's events;
    // empty when the window has none of that name.
    virtual NotifyEvent NotifyHandler(std::string_view name) = 0;
    virtual KeyPressEvent KeyPressHandler(std::string_view name) = 0;
    // The cursor shown over every control while a handler wants it.
    CursorOverride& Cursor() { return state_.cursor; }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
    LRESULT HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam);
    std::optional<BuildError> Register() const;
    std::optional<BuildError> BindEvents(Control& control);
    std::optional<BuildError> FillSlots();
    void ChooseDisplayFace();
    // Makes the window's font for this DPI; returns the layout's scale.
    LayoutScale MakeFontAndScale(int dpi);
    SIZE WindowSize(const LayoutScale& scale, int dpi) const;
    // Lays the existing window out again for a new DPI, at a new place if
    // given.
    void ApplyLayout(int dpi, const POINT* place = nullptr);
    void Repaint(bool colours_changed);
    // Asks the system for its colour mode again; true when it changed (the
    // title bar has followed, the rest is to be drawn again).
    bool TakeColourMode();
    DWORD Style() const { return WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN; }
    DWORD ExStyle() const { return WS_EX_CONTROLPARENT; }

    const FormDesc& desc_;
    HWND hwnd_ = nullptr;
    FormState state_;  // before the fonts and controls, which point at it
    std::unique_ptr<Panel> panel_;
    std::vector<std::unique_ptr<Control>> controls_;
    Font font_;
    HWND focus_ = nullptr;  // the control to refocus on activation; not ours
    bool after_box_ = false;  // from the error box's end until its mark is read
    ControlSlot* slots_ = nullptr;  // the derived window's members, last declared first

    friend class ControlSlot;
};

}  // namespace convert
