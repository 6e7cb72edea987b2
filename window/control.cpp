#include "window/control.h"

#include <commctrl.h>

#include <utility>

#include "window/colours.h"
#include "window/event_guard.h"

namespace convert {
namespace {
constexpr UINT_PTR kSubclassId = 1;
}  // namespace

// A radio button acts on BM_CLICK, checking itself, before any handler is asked.
bool IsInput(UINT msg) {
    return msg == BM_CLICK || (msg >= WM_KEYFIRST && msg <= WM_KEYLAST) ||
           (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST);
}

std::wstring Control::Text() const {
    const int length = GetWindowTextLengthW(hwnd_);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(hwnd_, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

void Control::SetText(std::wstring_view text) {
    const std::wstring copy(text);
    SetWindowTextW(hwnd_, copy.c_str());
}

// Controls are made where they belong, at their size and with their font:
// moving or sizing them afterwards costs a visible share of the start-up time
// under Wine.
bool Control::Create(HWND parent, const LayoutScale& scale, int dpi, HFONT parent_font, FormState& state) {
    state_ = &state;
    previous_sibling_ = GetWindow(GetWindow(parent, GW_CHILD), GW_HWNDLAST);
    font_color_ = desc_.own_font ? desc_.font.color : clWindowText;
    underline_ = desc_.own_font && desc_.font.underline;
    dpi_ = dpi;
    parent_font_ = parent_font;
    if (desc_.own_font) own_font_ = MakeOwnFont();
    const RECT bounds = Bounds(scale, parent);
    hwnd_ = CreateWindowExW(ExStyle(), ClassName(), desc_.text ? desc_.text : L"", Style(), bounds.left,
                            bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(desc_.id)), GetModuleHandleW(nullptr),
                            nullptr);
    if (!hwnd_) return false;
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    if (!SetWindowSubclass(hwnd_, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) return false;
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(CurrentFont()), FALSE);
    Created();
    return true;
}

void Control::Layout(const LayoutScale& scale, int dpi, HFONT parent_font) {
    dpi_ = dpi;
    parent_font_ = parent_font;
    if (desc_.own_font) {
        ApplyOwnFont(FALSE);
    } else {
        SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(parent_font_), FALSE);
    }
    const RECT bounds = Bounds(scale, GetParent(hwnd_));
    MoveWindow(hwnd_, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, TRUE);
}

RECT Control::Bounds(const LayoutScale& scale, HWND parent) const {
    RECT bounds{};
    if (desc_.align == Align::Client) {
        GetClientRect(parent, &bounds);
    } else {
        bounds.left = scale(desc_.left);
        bounds.top = scale(desc_.top);
        bounds.right = bounds.left + scale(desc_.width);
        bounds.bottom = bounds.top + scale(desc_.height);
    }
    return bounds;
}

Font Control::MakeOwnFont() const {
    FontDesc font = desc_.font;
    font.underline = underline_;
    return state_->fonts.Make(font, dpi_);
}

// The control lets go of its old font before it is deleted.
void Control::ApplyOwnFont(BOOL redraw) {
    Font old = std::exchange(own_font_, MakeOwnFont());
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(CurrentFont()), redraw);
}

HBRUSH Control::CtlColor(HDC dc) {
    const Palette& palette = state_->palette;
    SetTextColor(dc, palette.Colour(font_color_));
    SetBkColor(dc, palette.Colour(desc_.color));
    return palette.FaceBrush();
}

Control* Control::FromHandle(HWND hwnd) {
    return hwnd ? reinterpret_cast<Control*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)) : nullptr;
}

bool Control::Fire(const NotifyEvent& event) {
    return !event || RunGuarded([&] { event(*this); });
}

LRESULT Control::Default(UINT msg, WPARAM wparam, LPARAM lparam) {
    return DefSubclassProc(hwnd_, msg, wparam, lparam);
}

LRESULT Control::Message(UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == WM_GETOBJECT && (labelled_by_ || desc_.role != AccessibleRole::Standard)) {
        LRESULT result = 0;
        if (accessible_.Answer(hwnd_, {labelled_by_, desc_.role}, wparam, lparam, result)) return result;
    }
    if (msg == WM_SETCURSOR && state_->SetCursor(wparam, lparam)) return TRUE;
    return Default(msg, wparam, lparam);
}

LRESULT CALLBACK Control::SubclassProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                       DWORD_PTR ref) {
    auto* self = reinterpret_cast<Control*>(ref);
    // While a handler runs (the error box is up) the window is disabled, but
    // posted input still arrives: it is dropped, not kept for later.
    if (HandlerRunning() && IsInput(msg)) return 0;
    if (msg == WM_NCDESTROY) {
        self->Destroying();
        RemoveWindowSubclass(hwnd, SubclassProc, kSubclassId);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->accessible_.Disconnect();
        self->hwnd_ = nullptr;
        return DefSubclassProc(hwnd, msg, wparam, lparam);
    }
    return self->Message(msg, wparam, lparam);
}

bool ReflectToChild(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT& result) {
    switch (msg) {
        case WM_COMMAND:
            if (Control* child = Control::FromHandle(reinterpret_cast<HWND>(lparam))) {
                child->Command(HIWORD(wparam));
                result = 0;
                return true;
            }
            return false;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
            if (Control* child = Control::FromHandle(reinterpret_cast<HWND>(lparam))) {
                result = reinterpret_cast<LRESULT>(child->CtlColor(reinterpret_cast<HDC>(wparam)));
                return result != 0;
            }
            return false;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lparam);
            if (header->code != NM_CUSTOMDRAW) return false;
            if (Control* child = Control::FromHandle(header->hwndFrom)) {
                result = child->CustomDraw(*reinterpret_cast<const NMCUSTOMDRAW*>(lparam));
                return true;
            }
            return false;
        }
        default:
            return false;
    }
}

}  // namespace convert
