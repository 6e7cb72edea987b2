#include "window/controls.h"

#include <commctrl.h>

#include <cwchar>
#include <utility>

#include "window/event_guard.h"
#include "window/screen_cursor.h"

namespace convert {
namespace {

std::wstring& DisplayFace() {
    static std::wstring face;
    return face;
}

constexpr UINT_PTR kSubclassId = 1;

}  // namespace

void SetDisplayFace(std::wstring face) { DisplayFace() = std::move(face); }

// A radio button acts on BM_CLICK, checking itself, before any handler is asked.
bool IsInput(UINT msg) {
    return msg == BM_CLICK || (msg >= WM_KEYFIRST && msg <= WM_KEYLAST) ||
           (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST);
}

LOGFONTW MakeLogFont(const FontDesc& font, int dpi) {
    LOGFONTW lf{};
    lf.lfHeight = MulDiv(font.height, dpi, 96);
    lf.lfWeight = FW_NORMAL;
    lf.lfUnderline = font.underline ? TRUE : FALSE;
    lf.lfCharSet = font.charset;
    lf.lfQuality = NONANTIALIASED_QUALITY;  // crisp, exact colours, like the classic 8-point face
    const wchar_t* face = DisplayFace().empty() ? font.face : DisplayFace().c_str();
    wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return lf;
}

COLORREF ToColorRef(ColorDesc color) {
    switch (color.kind) {
        case ColorKind::BtnFace: return GetSysColor(COLOR_BTNFACE);
        case ColorKind::WindowText: return GetSysColor(COLOR_WINDOWTEXT);
        case ColorKind::Rgb: break;
    }
    return color.rgb;
}

namespace {
bool high_contrast = false;  // one thread runs the whole program
}

bool HighContrast() { return high_contrast; }
void SetHighContrast(bool on) { high_contrast = on; }

bool SystemHighContrast() {
    HIGHCONTRASTW info{};
    info.cbSize = sizeof info;
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof info, &info, 0) &&
           (info.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

COLORREF LabelTextColor(ColorDesc font_color, bool link_hovered, bool high_contrast_on) {
    if (!high_contrast_on) return ToColorRef(font_color);
    return GetSysColor(link_hovered ? COLOR_HOTLIGHT : COLOR_WINDOWTEXT);
}

// ---- Control ----

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
bool Control::Create(HWND parent, const LayoutScale& scale, int dpi, HFONT parent_font, Hover& hover) {
    hover_ = &hover;
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
    return MakeFont(MakeLogFont(font, dpi_));
}

// The control lets go of its old font before it is deleted.
void Control::ApplyOwnFont(BOOL redraw) {
    Font old = std::exchange(own_font_, MakeOwnFont());
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(CurrentFont()), redraw);
}

HBRUSH Control::CtlColor(HDC dc) {
    SetTextColor(dc, ToColorRef(font_color_));
    SetBkColor(dc, ToColorRef(desc_.color));
    return GetSysColorBrush(COLOR_BTNFACE);
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
    if (msg == WM_SETCURSOR) {
        hover_->PointerOver(reinterpret_cast<HWND>(wparam));
        if (ApplyScreenCursor(lparam)) return TRUE;
    }
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
            if (Control* child = Control::FromHandle(reinterpret_cast<HWND>(lparam))) {
                result = reinterpret_cast<LRESULT>(child->CtlColor(reinterpret_cast<HDC>(wparam)));
                return true;
            }
            return false;
        default:
            return false;
    }
}

// ---- Label ----

DWORD Label::Style() const { return WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_NOTIFY; }

// Labels take the size of their text. It is measured on the screen's DC,
// which has the same metrics as the label's own, so that a label can be made
// at its size.
RECT Label::Bounds(const LayoutScale& scale, HWND parent) const {
    RECT bounds = Control::Bounds(scale, parent);
    const std::wstring text = Handle() ? Text() : std::wstring(Desc().text ? Desc().text : L"");
    WindowDC dc(nullptr);
    SelectObjectScope select(dc.get(), CurrentFont());
    SIZE size{};
    GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
    bounds.right = bounds.left + size.cx;
    bounds.bottom = bounds.top + size.cy;
    return bounds;
}

void Label::Command(WORD code) {
    if (code == STN_CLICKED) Fire(OnClick);
}

HBRUSH Label::CtlColor(HDC dc) {
    SetTextColor(dc, LabelTextColor(font_color_, hover_ && hover_->label_ == this && Desc().role == AccessibleRole::Link,
                                    HighContrast()));
    SetBkMode(dc, TRANSPARENT);
    return GetSysColorBrush(COLOR_BTNFACE);
}

void Label::SetFontColor(ColorDesc color) {
    font_color_ = color;
    InvalidateRect(Handle(), nullptr, TRUE);
}

void Label::SetUnderline(bool underline) {
    if (underline == underline_) return;
    underline_ = underline;
    if (Desc().own_font) ApplyOwnFont(TRUE);
}

// The pointer counts as inside from the first move over the label until
// WM_MOUSELEAVE, or until it is seen over another window of the program:
// Wine can lose WM_MOUSELEAVE (its pointer position may lag behind the move
// that asked for tracking), so leave tracking is renewed on every move and
// the other windows report where the pointer is.
LRESULT Label::Message(UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
        case WM_MOUSEMOVE: {
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Handle(), 0};
            TrackMouseEvent(&track);
            if (hover_->label_ != this) Enter();
            break;
        }
        case WM_MOUSELEAVE:
            if (hover_->label_ == this) Leave();
            return 0;
        default:
            break;
    }
    return Control::Message(msg, wparam, lparam);
}

// A crossing counts once its handler has run: one refused while another
// handler runs is made again at the next move or report.
void Label::Enter() {
    if (hover_->label_) hover_->label_->Leave();
    if (hover_->label_) return;
    hover_->label_ = this;
    if (!Fire(OnMouseEnter)) hover_->label_ = nullptr;
}

void Label::Leave() {
    hover_->label_ = nullptr;
    if (!Fire(OnMouseLeave)) hover_->label_ = this;
}

void Label::Destroying() {
    if (hover_->label_ == this) hover_->label_ = nullptr;
}

void Hover::PointerOver(HWND hwnd) {
    if (label_ && label_->Handle() != hwnd) label_->Leave();
}

void Hover::Recheck() {
    POINT point;
    if (label_ && GetCursorPos(&point)) PointerOver(WindowFromPoint(point));
}

// ---- Edit ----

DWORD Edit::Style() const { return WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL | ES_LEFT; }

void Edit::Created() {
    SendMessageW(Handle(), EM_SETLIMITTEXT, 0, 0);  // no length limit
}

LRESULT Edit::Message(UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == WM_CHAR && OnKeyPress) {
        wchar_t key = static_cast<wchar_t>(wparam);
        // A filter that cannot run lets nothing through.
        if (!RunGuarded([&] { OnKeyPress(*this, key); }) || key == 0) return 0;
        wparam = key;
    }
    return Control::Message(msg, wparam, lparam);
}

// ---- RadioGroup ----

// The frame lies under the controls drawn on it and must not paint over them.
DWORD RadioGroup::Style() const { return WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | BS_GROUPBOX; }

// A group box paints only its frame; its inside, which the panel does not
// paint under its children, is filled here.
LRESULT RadioGroup::Message(UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg == WM_ERASEBKGND) {
        RECT rect;
        GetClientRect(Handle(), &rect);
        FillRect(reinterpret_cast<HDC>(wparam), &rect, GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    return Control::Message(msg, wparam, lparam);
}

// ---- RadioButton ----

DWORD RadioButton::Style() const {
    DWORD style = WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON;
    if (Desc().tab_stop) style |= WS_TABSTOP;
    // Radio buttons that share a parent form one group, which the first starts.
    const Control* previous = FromHandle(previous_sibling_);
    if (!previous || previous->Desc().kind != ControlKind::RadioButton) style |= WS_GROUP;
    return style;
}

bool RadioButton::Checked() const { return SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

// A notification while another handler runs is no click of the user's (the
// button takes none then); the group is looked at again at the next one.
void RadioButton::Command(WORD code) {
    if (code == BN_CLICKED && !HandlerRunning()) SyncGroup();
}

void RadioButton::SyncGroup() {
    // Visit every radio button of this parent: the auto radio button has
    // already unchecked the others.
    for (HWND sibling = GetWindow(GetParent(Handle()), GW_CHILD); sibling;
         sibling = GetWindow(sibling, GW_HWNDNEXT)) {
        Control* control = Control::FromHandle(sibling);
        if (!control || control->Desc().kind != ControlKind::RadioButton) continue;
        auto* radio = static_cast<RadioButton*>(control);
        const bool checked = radio->Checked();
        LONG_PTR style = GetWindowLongPtrW(sibling, GWL_STYLE);
        style = checked ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
        SetWindowLongPtrW(sibling, GWL_STYLE, style);
        const bool became_checked = checked && !radio->was_checked_;
        radio->was_checked_ = checked;
        if (became_checked) radio->Fire(radio->OnClick);
    }
}

// ---- Button ----

DWORD Button::Style() const { return WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON; }

void Button::Command(WORD code) {
    if (code == BN_CLICKED) Fire(OnClick);
}

// ---- Panel ----

bool Panel::Register() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"TPanel";
    return RegisterClassExW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

DWORD Panel::Style() const { return WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN; }

LRESULT Panel::Message(UINT msg, WPARAM wparam, LPARAM lparam) {
    LRESULT result = 0;
    if (ReflectToChild(msg, wparam, lparam, result)) return result;
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(Handle(), &ps);
        RECT rect;
        GetClientRect(Handle(), &rect);
        DrawEdge(dc, &rect, BDR_RAISEDINNER, BF_RECT);
        EndPaint(Handle(), &ps);
        return 0;
    }
    return Control::Message(msg, wparam, lparam);
}

}  // namespace convert
