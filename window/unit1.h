// The converter window and its handlers.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "window/controls.h"
#include "window/convert_command.h"
#include "window/form.h"

namespace convert {

// The maker's home page, opened by the credit label.
inline constexpr const wchar_t* HomePageAddress = L"http://www.chengyanshe.example/";

class TForm1 final : public Form, private ConvertControls {
public:
    TForm1();

    // Builds the window from its description.
    std::optional<BuildError> Create() { return Build(); }

    // The controls of the description this window uses, each by its name.
    ControlRef<Panel> Panel1{*this, "Panel1"};
    ControlRef<Label> Label1{*this, "Label1"};
    ControlRef<Label> Label2{*this, "Label2"};
    ControlRef<Label> Label3{*this, "Label3"};
    ControlRef<Label> Label4{*this, "Label4"};
    ControlRef<Label> Label8{*this, "Label8"};
    ControlRef<Edit> Edit1{*this, "Edit1"};
    ControlRef<Edit> Edit2{*this, "Edit2"};
    ControlRef<Edit> Edit3{*this, "Edit3"};
    ControlRef<RadioGroup> RadioGroup1{*this, "RadioGroup1"};
    ControlRef<RadioButton> RadioButton1{*this, "RadioButton1"};
    ControlRef<RadioButton> RadioButton2{*this, "RadioButton2"};
    ControlRef<Button> Button1{*this, "Button1"};

    void Button1Click(Control& sender);
    void Edit1KeyPress(Control& sender, wchar_t& key);
    void Edit2KeyPress(Control& sender, wchar_t& key);
    void Edit3KeyPress(Control& sender, wchar_t& key);
    void RadioButton1Click(Control& sender);
    void RadioButton2Click(Control& sender);
    void Label8MouseEnter(Control& sender);
    void Label8MouseLeave(Control& sender);
    void Label8Click(Control& sender);
    void FormShow(Control& sender);

private:
    NotifyEvent NotifyHandler(std::string_view name) override;
    KeyPressEvent KeyPressHandler(std::string_view name) override;

    // What the Convert command needs of the window.
    std::u16string Text(FieldId field) const override;
    void SetText(FieldId field, std::u16string_view text) override;
    bool Checked(RadioId radio) const override;
    Edit& Field(FieldId field) const;
};

}  // namespace convert
