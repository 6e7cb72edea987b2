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

    // Builds the window from its description and takes its controls.
    std::optional<BuildError> Create();

    Panel* Panel1 = nullptr;
    Label* Label1 = nullptr;
    Label* Label2 = nullptr;
    Label* Label3 = nullptr;
    Label* Label4 = nullptr;
    Label* Label8 = nullptr;
    Edit* Edit1 = nullptr;
    Edit* Edit2 = nullptr;
    Edit* Edit3 = nullptr;
    RadioGroup* RadioGroup1 = nullptr;
    RadioButton* RadioButton1 = nullptr;
    RadioButton* RadioButton2 = nullptr;
    Button* Button1 = nullptr;

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
