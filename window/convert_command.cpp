#include "window/convert_command.h"

#include "core/integer_text.h"
#include "core/length_conversion.h"

namespace convert {

void RunConvertCommand(ConvertControls& controls) {
    constexpr FieldId kFields[] = {FieldId::Edit1, FieldId::Edit2, FieldId::Edit3};

    bool empty[3];
    for (int i = 0; i < 3; ++i) empty[i] = controls.Text(kFields[i]).empty();
    for (int i = 0; i < 3; ++i) {
        if (empty[i]) controls.SetText(kFields[i], u"0");
    }

    TLengthFields fields;
    fields.Centimetres = TextToInteger(controls.Text(FieldId::Edit1));
    fields.Chi = TextToInteger(controls.Text(FieldId::Edit2));
    fields.Cun = TextToInteger(controls.Text(FieldId::Edit3));

    if (controls.Checked(RadioId::RadioButton1)) fields = ConvertLength(cdCmToChiCun, fields);
    if (controls.Checked(RadioId::RadioButton2)) fields = ConvertLength(cdChiCunToCm, fields);

    controls.SetText(FieldId::Edit1, IntegerToText(fields.Centimetres));
    controls.SetText(FieldId::Edit2, IntegerToText(fields.Chi));
    controls.SetText(FieldId::Edit3, IntegerToText(fields.Cun));
}

}  // namespace convert
