#include "window/unit1.h"

#include <span>
#include <string>
#include <string_view>

#include "window/build_error.h"
#include "window/event_guard.h"
#include "window/field_keys.h"
#include "window/form1_description.h"
#include "window/system_functions.h"

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

// A handler name in the description that is no method of the window, or a
// method of the wrong kind for its event, fails the build here rather than
// the program's start.
template <typename Methods>
consteval bool Has(const Methods& methods, std::string_view name) {
    for (const auto& m : methods) {
        if (m.name == name) return true;
    }
    return false;
}

consteval bool HasHandler(const EventBinding& binding) {
    const std::string_view event = binding.event;
    if (event == "OnKeyPress") return Has(kKeyPressMethods, binding.handler);
    if (event == "OnClick" || event == "OnMouseEnter" || event == "OnMouseLeave" || event == "OnShow") {
        return Has(kNotifyMethods, binding.handler);
    }
    return false;  // an event the window does not know
}

consteval bool HasHandlers(std::span<const EventBinding> bindings) {
    for (const EventBinding& binding : bindings) {
        if (!HasHandler(binding)) return false;
    }
    return true;
}

consteval bool EveryHandlerExists(const FormDesc& form) {
    if (!HasHandlers(form.events) || !HasHandlers(form.panel->events)) return false;
    for (const ControlDesc& control : form.controls) {
        if (!HasHandlers(control.events)) return false;
    }
    return true;
}

static_assert(EveryHandlerExists(form1::kForm1),
              "form1_description.h binds an event to a handler that TForm1 does not have (or of another kind)");

void FilterFieldKey(wchar_t& key) {
    if (!IsFieldKeyAllowed(key)) key = 0;
}

}  // namespace

TForm1::TForm1() : Form(form1::kForm1) {}

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
    Cursor().Set(ScreenCursor::HandPoint);
}

void TForm1::Label8MouseLeave(Control&) {
    Label8->SetFontColor(clWindowText);
    Label8->SetUnderline(false);
    Cursor().Set(ScreenCursor::Default);
}

// A failed launch is not reported: the window carries on. The shell is loaded
// on the first click, not at start-up: under Wine loading it costs a third
// of the start-up time.
void TForm1::Label8Click(Control&) {
    static const auto shell_execute = LoadedFunction(kShellExecuteW);
    if (shell_execute) shell_execute(Handle(), nullptr, HomePageAddress, nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace convert
