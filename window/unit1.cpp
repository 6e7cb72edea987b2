#include "window/unit1.h"

#include <string>

#include "window/build_error.h"
#include "window/event_guard.h"
#include "window/field_keys.h"
#include "window/screen_cursor.h"
#include "window/system_library.h"

namespace convert {
namespace {

// The window's methods by name, as the description refers to them.
struct NotifyMethod {
    std::string_view name;
    void (TForm1::*method)(Control&);
};
struct KeyPressMethod {
    std::string_view name;
    void (TForm1::*method)(Control&, wchar_t&);
};

constexpr NotifyMethod kNotifyMethods[] = {
    {"Button1Click", &TForm1::Button1Click},
    {"RadioButton1Click", &TForm1::RadioButton1Click},
    {"RadioButton2Click", &TForm1::RadioButton2Click},
    {"Label8MouseEnter", &TForm1::Label8MouseEnter},
    {"Label8MouseLeave", &TForm1::Label8MouseLeave},
    {"Label8Click", &TForm1::Label8Click},
    {"FormShow", &TForm1::FormShow},
};
constexpr KeyPressMethod kKeyPressMethods[] = {
    {"Edit1KeyPress", &TForm1::Edit1KeyPress},
    {"Edit2KeyPress", &TForm1::Edit2KeyPress},
    {"Edit3KeyPress", &TForm1::Edit3KeyPress},
};

// The kind of control each class is built for (the program has no RTTI).
template <typename T>
constexpr ControlKind kKindOf = ControlKind::Panel;
template <>
constexpr ControlKind kKindOf<Label> = ControlKind::Label;
template <>
constexpr ControlKind kKindOf<Edit> = ControlKind::Edit;
template <>
constexpr ControlKind kKindOf<RadioGroup> = ControlKind::RadioGroup;
template <>
constexpr ControlKind kKindOf<RadioButton> = ControlKind::RadioButton;
template <>
constexpr ControlKind kKindOf<Button> = ControlKind::Button;

// Points `member` at the named control.
template <typename T>
std::optional<BuildError> Take(const Form& form, T*& member, std::string_view name) {
    Control* control = form.Find(name);
    if (!control) return BuildError("no control named ", name);
    if (control->Desc().kind != kKindOf<T>) return BuildError("control of another kind: ", name);
    member = static_cast<T*>(control);
    return std::nullopt;
}

void FilterFieldKey(wchar_t& key) {
    if (!IsFieldKeyAllowed(key)) key = 0;
}

}  // namespace

TForm1::TForm1() : Form(Form1Description()) {}

std::optional<BuildError> TForm1::Create() {
    std::optional<BuildError> error = Build();
    if (!error) error = Take(*this, Panel1, "Panel1");
    if (!error) error = Take(*this, Label1, "Label1");
    if (!error) error = Take(*this, Label2, "Label2");
    if (!error) error = Take(*this, Label3, "Label3");
    if (!error) error = Take(*this, Label4, "Label4");
    if (!error) error = Take(*this, Label8, "Label8");
    if (!error) error = Take(*this, Edit1, "Edit1");
    if (!error) error = Take(*this, Edit2, "Edit2");
    if (!error) error = Take(*this, Edit3, "Edit3");
    if (!error) error = Take(*this, RadioGroup1, "RadioGroup1");
    if (!error) error = Take(*this, RadioButton1, "RadioButton1");
    if (!error) error = Take(*this, RadioButton2, "RadioButton2");
    if (!error) error = Take(*this, Button1, "Button1");
    return error;
}

NotifyEvent TForm1::NotifyHandler(std::string_view name) {
    for (const NotifyMethod& m : kNotifyMethods) {
        if (m.name == name) return [this, method = m.method](Control& sender) { (this->*method)(sender); };
    }
    return {};
}

KeyPressEvent TForm1::KeyPressHandler(std::string_view name) {
    for (const KeyPressMethod& m : kKeyPressMethods) {
        if (m.name == name) {
            return [this, method = m.method](Control& sender, wchar_t& key) { (this->*method)(sender, key); };
        }
    }
    return {};
}

// ---- Convert command ----

// A refused field or a result too large ends the command; its message goes
// to the application's error display.
void TForm1::Button1Click(Control&) {
    if (const std::optional<Error> error = TryRunConvertCommand(*this)) ReportError(error->message);
}

Edit& TForm1::Field(FieldId field) const {
    switch (field) {
        case FieldId::Edit1: return *Edit1;
        case FieldId::Edit2: return *Edit2;
        case FieldId::Edit3: break;
    }
    return *Edit3;
}

std::u16string TForm1::Text(FieldId field) const {
    const std::wstring text = Field(field).Text();
    return std::u16string(text.begin(), text.end());
}

void TForm1::SetText(FieldId field, std::u16string_view text) {
    Field(field).SetText(std::wstring(text.begin(), text.end()));
}

bool TForm1::Checked(RadioId radio) const {
    return (radio == RadioId::RadioButton1 ? RadioButton1 : RadioButton2)->Checked();
}

// ---- Field input and direction ----

void TForm1::Edit1KeyPress(Control&, wchar_t& key) { FilterFieldKey(key); }
void TForm1::Edit2KeyPress(Control&, wchar_t& key) { FilterFieldKey(key); }
void TForm1::Edit3KeyPress(Control&, wchar_t& key) { FilterFieldKey(key); }

void TForm1::RadioButton1Click(Control&) { Label1->SetText(kArrowCmToChiCun); }
void TForm1::RadioButton2Click(Control&) { Label1->SetText(kArrowChiCunToCm); }

// The window keeps the size it is shown with.
void TForm1::FormShow(Control&) {
    Constraints.max_height = Height();
    Constraints.min_height = Height();
    Constraints.max_width = Width();
    Constraints.min_width = Width();
}

// ---- Credit link ----

void TForm1::Label8MouseEnter(Control&) {
    Label8->SetFontColor(clBlue);
    Label8->SetUnderline(true);
    SetScreenCursor(ScreenCursor::HandPoint);
}

void TForm1::Label8MouseLeave(Control&) {
    Label8->SetFontColor(clWindowText);
    Label8->SetUnderline(false);
    SetScreenCursor(ScreenCursor::Default);
}

// A failed launch is not reported: the window carries on. The shell is loaded
// on the first click, not at start-up: under Wine loading it costs a third
// of the start-up time.
void TForm1::Label8Click(Control&) {
    using ShellExecuteFn = HINSTANCE WINAPI(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);
    static const auto shell_execute =
        ProcAddress<ShellExecuteFn>(LoadSystemLibrary(L"shell32.dll"), "ShellExecuteW");
    if (shell_execute) shell_execute(Handle(), nullptr, HomePageAddress, nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace convert
