#include "window/convert_command.h"

#include <cstdint>
#include <utility>

#include "core/integer_text.h"
#include "core/length_conversion.h"

namespace convert {

#if __cpp_exceptions
void RunConvertCommand(ConvertControls& controls) {
    if (std::optional<Error> error = TryRunConvertCommand(controls)) Throw(std::move(*error));
}
#endif

std::optional<Error> TryRunConvertCommand(ConvertControls& controls) {
    constexpr FieldId kFields[] = {FieldId::Edit1, FieldId::Edit2, FieldId::Edit3};

    bool empty[3];
    for (int i = 0; i < 3; ++i) empty[i] = controls.Text(kFields[i]).empty();
    for (int i = 0; i < 3; ++i) {
        if (empty[i]) controls.SetText(kFields[i], u"0");
    }

    // The first field that does not parse ends the command.
    TLengthFields fields;
    std::int32_t* const values[] = {&fields.Centimetres, &fields.Chi, &fields.Cun};
    for (int i = 0; i < 3; ++i) {
        const Result<std::int32_t> value = TryTextToInteger(controls.Text(kFields[i]));
        if (value.Failed()) return value.GetError();
        *values[i] = value.Value();
    }

    // Each checked direction in turn, asked after the one before has run.
    constexpr std::pair<RadioId, TConvertDirection> kDirections[] = {
        {RadioId::RadioButton1, cdCmToChiCun}, {RadioId::RadioButton2, cdChiCunToCm}};
    for (const auto& [radio, direction] : kDirections) {
        if (!controls.Checked(radio)) continue;
        const Result<TLengthFields> converted = TryConvertLength(direction, fields);
        if (converted.Failed()) return converted.GetError();
        fields = converted.Value();
    }

    controls.SetText(FieldId::Edit1, IntegerToText(fields.Centimetres));
    controls.SetText(FieldId::Edit2, IntegerToText(fields.Chi));
    controls.SetText(FieldId::Edit3, IntegerToText(fields.Cun));
    return std::nullopt;
}

}  // namespace convert
