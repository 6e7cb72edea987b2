#include "window/form.h"

#include <string>

#include "window/build_error.h"
#include "window/dpi.h"
#include "window/event_guard.h"
#include "window/colours.h"

namespace convert {
namespace {

// Posted to the window when the error box gives it back: everything queued
// before it was posted while the box was up.
constexpr UINT kAfterBoxMark = WM_APP;

std::unique_ptr<Control> MakeControl(const ControlDesc& desc) {
    switch (desc.kind) {
        case ControlKind::Label: return std::make_unique<Label>(desc);
        case ControlKind::Edit: return std::make_unique<Edit>(desc);
        case ControlKind::RadioGroup: return std::make_unique<RadioGroup>(desc);
        case ControlKind::RadioButton: return std::make_unique<RadioButton>(desc);
        case ControlKind::Button: return std::make_unique<Button>(desc);
        case ControlKind::Panel: return std::make_unique<Panel>(desc);
    }
    return nullptr;
}

template <typename Event>
std::optional<BuildError> Bind(Event& event, Event handler, std::string_view name) {
    if (!handler) return BuildError("the window has no handler ", name);
    event = std::move(handler);
    return std::nullopt;
}

std::wstring Widen(std::string_view ascii) { return std::wstring(ascii.begin(), ascii.end()); }

}  // namespace

ControlSlot::ControlSlot(Form& form, const char* name, ControlKind kind)
    : name_(name), kind_(kind), next_(form.slots_) {
    form.slots_ = this;
}

Form::~Form() {
    if (hwnd_) DestroyWindow(hwnd_);
}

std::optional<BuildError> Form::Register() const {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    const std::wstring class_name = Widen(desc_.class_name);
    wc.lpszClassName = class_name.c_str();
    // Registered already by an earlier window of the same description.
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        return BuildError("the window class could not be registered: ", desc_.class_name);
    }
    if (!Panel::Register()) return BuildError("the window class could not be registered: ", "TPanel");
    return std::nullopt;
}

std::optional<BuildError> Form::Build() {
    if (auto error = Register()) return error;
    state_.palette.Set(SystemColourMode());
    ChooseDisplayFace();
    // The window is made at its size and its controls in their places, for the
    // system's DPI; a window that opens on a monitor of another DPI is laid out
    // again below.
    const int dpi = SystemDpi();
    const LayoutScale scale = MakeFontAndScale(dpi);
    const SIZE size = WindowSize(scale, dpi);
    const std::wstring class_name = Widen(desc_.class_name);
    hwnd_ = CreateWindowExW(ExStyle(), class_name.c_str(), desc_.caption, Style(), desc_.left, desc_.top,
                            size.cx, size.cy, nullptr, nullptr, GetModuleHandleW(nullptr), this);
    if (!hwnd_) return BuildError("the window could not be created");
    if (state_.palette.Dark()) UseDarkTitleBar(hwnd_, true);
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);

    panel_ = std::make_unique<Panel>(*desc_.panel);
    if (!panel_->Create(hwnd_, scale, dpi, font_.get(), state_)) {
        return BuildError("the control could not be created: ", desc_.panel->name);
    }
    for (const ControlDesc& row : desc_.controls) {
        std::unique_ptr<Control> control = MakeControl(row);
        if (!control) return BuildError("unknown control kind");
        controls_.push_back(std::move(control));
        if (!controls_.back()->Create(panel_->Handle(), scale, dpi, font_.get(), state_)) {
            return BuildError("the control could not be created: ", row.name);
        }
    }
    // The group frame is drawn under the controls it surrounds; it is not a
    // tab stop, so lowering it leaves the tab order (the creation order) alone.
    for (const auto& control : controls_) {
        if (control->Desc().kind == ControlKind::RadioGroup) {
            SetWindowPos(control->Handle(), HWND_BOTTOM, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
        if (control->Desc().kind == ControlKind::RadioButton && control->Desc().checked) {
            SendMessageW(control->Handle(), BM_SETCHECK, BST_CHECKED, 0);
            control->Command(BN_CLICKED);  // records the state; nothing is bound yet
        }
    }

    // A control named by a label reads the label's text when asked.
    for (const auto& control : controls_) {
        const char* label = control->Desc().labelled_by;
        if (!label) continue;
        const Control* labelling = Find(label);
        if (!labelling) return BuildError("no control named ", label);
        control->SetLabelledBy(labelling->Handle());
    }

    if (const int window_dpi = DpiForWindow(hwnd_); window_dpi != dpi) ApplyLayout(window_dpi);

    for (const EventBinding& binding : desc_.events) {
        if (std::string_view(binding.event) != "OnShow") return BuildError("unknown form event ", binding.event);
        if (auto error = Bind(OnShow, NotifyHandler(binding.handler), binding.handler)) return error;
    }
    if (auto error = BindEvents(*panel_)) return error;
    for (const auto& control : controls_) {
        if (auto error = BindEvents(*control)) return error;
    }

    focus_ = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
    return FillSlots();
}

std::optional<BuildError> Form::FillSlots() {
    for (ControlSlot* slot = slots_; slot; slot = slot->next_) {
        Control* control = Find(slot->name_);
        if (!control) return BuildError("no control named ", slot->name_);
        if (control->Desc().kind != slot->kind_) return BuildError("control of another kind: ", slot->name_);
        slot->control_ = control;
    }
    return std::nullopt;
}

std::optional<BuildError> Form::BindEvents(Control& control) {
    for (const EventBinding& binding : control.Desc().events) {
        const std::string_view event = binding.event;
        std::optional<BuildError> error;
        if (event == "OnClick") {
            error = Bind(control.OnClick, NotifyHandler(binding.handler), binding.handler);
        } else if (event == "OnMouseEnter") {
            error = Bind(control.OnMouseEnter, NotifyHandler(binding.handler), binding.handler);
        } else if (event == "OnMouseLeave") {
            error = Bind(control.OnMouseLeave, NotifyHandler(binding.handler), binding.handler);
        } else if (event == "OnKeyPress") {
            error = Bind(control.OnKeyPress, KeyPressHandler(binding.handler), binding.handler);
        } else {
            error = BuildError("unknown event ", binding.event);
        }
        if (error) return error;
    }
    return std::nullopt;
}

void Form::Show(int show_command) {
    if (OnShow) RunGuarded([&] { OnShow(*panel_); });
    ShowWindow(hwnd_, show_command);
    UpdateWindow(hwnd_);
}

bool Form::DropsQueued(const MSG& msg) {
    if (!after_box_) return false;
    if (msg.message == kAfterBoxMark && msg.hwnd == hwnd_) {
        after_box_ = false;
        state_.hover.Recheck();
        return true;
    }
    return (IsInput(msg.message) || msg.message == WM_COMMAND) && (msg.hwnd == hwnd_ || IsChild(hwnd_, msg.hwnd));
}

int Form::Width() const {
    RECT rect;
    GetWindowRect(hwnd_, &rect);
    return rect.right - rect.left;
}

int Form::Height() const {
    RECT rect;
    GetWindowRect(hwnd_, &rect);
    return rect.bottom - rect.top;
}

Control* Form::Find(std::string_view name) const {
    if (panel_ && name == panel_->Desc().name) return panel_.get();
    for (const auto& control : controls_) {
        if (name == control->Desc().name) return control.get();
    }
    return nullptr;
}

LRESULT CALLBACK Form::WindowProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    Form* self;
    if (msg == WM_NCCREATE) {
        self = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(hwnd, msg, wparam, lparam);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        return DefWindowProcW(hwnd, msg, wparam, lparam);
    }
    return self->HandleMessage(msg, wparam, lparam);
}

LRESULT Form::HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam) {
    // Soak tests ask how many fonts the program holds: Wine reports no GDI
    // object counts of its own.
    static const UINT live_fonts_query = RegisterWindowMessageW(L"Convert.LiveFontCount");
    if (msg == live_fonts_query) return state_.fonts.Live();
    // As for the controls: input posted while a handler runs (the error box
    // is up) is dropped, Alt+F4 too.
    if (HandlerRunning() && IsInput(msg)) return 0;

    LRESULT result = 0;
    if (ReflectToChild(msg, wparam, lparam, result)) return result;
    switch (msg) {
        case WM_COMMAND:
            // Enter and Escape reach here as IDOK and IDCANCEL from the dialog
            // manager: the window has no default or cancel button.
            return 0;
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
            const SizeConstraints& c = Constraints;
            if (c.min_width > 0) info->ptMinTrackSize.x = c.min_width;
            if (c.min_height > 0) info->ptMinTrackSize.y = c.min_height;
            if (c.max_width > 0) info->ptMaxTrackSize.x = info->ptMaxSize.x = c.max_width;
            if (c.max_height > 0) info->ptMaxTrackSize.y = info->ptMaxSize.y = c.max_height;
            return 0;
        }
        case WM_DPICHANGED: {
            // The window takes the size the new DPI gives it, at the place
            // the system suggests.
            const auto* suggested = reinterpret_cast<const RECT*>(lparam);
            const POINT place{suggested->left, suggested->top};
            ApplyLayout(HIWORD(wparam), &place);
            return 0;
        }
        // The app mode is announced as the setting "ImmersiveColorSet"; any
        // change of settings is cheap to check.
        case WM_SYSCOLORCHANGE:
            TakeColourMode();
            Repaint(true);
            break;
        case WM_SETTINGCHANGE:
        case WM_THEMECHANGED:
            if (TakeColourMode()) Repaint(false);
            break;
        case WM_ERASEBKGND:
            if (!state_.palette.Dark()) break;
            {
                RECT rect;
                GetClientRect(hwnd_, &rect);
                FillRect(reinterpret_cast<HDC>(wparam), &rect, state_.palette.FaceBrush());
            }
            return 1;
        case WM_ACTIVATE:
            if (LOWORD(wparam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus && IsChild(hwnd_, focus)) focus_ = focus;
            } else if (focus_ && !HIWORD(wparam)) {
                SetFocus(focus_);
                if (Control::FromHandle(focus_) && Control::FromHandle(focus_)->Desc().kind == ControlKind::Edit) {
                    SendMessageW(focus_, EM_SETSEL, 0, -1);
                }
            }
            return 0;
        // The error box enables the window again before it goes; a program
        // that waits for that may click at once, and its click comes after
        // the mark.
        case WM_ENABLE:
            if (wparam && HandlerRunning() && !after_box_) after_box_ = PostMessageW(hwnd_, kAfterBoxMark, 0, 0);
            break;
        case kAfterBoxMark:  // read by another loop than the event loop's
            after_box_ = false;
            state_.hover.Recheck();
            return 0;
        case WM_SETCURSOR:
            if (state_.SetCursor(wparam, lparam)) return TRUE;
            break;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd_, msg, wparam, lparam);
}

}  // namespace convert
