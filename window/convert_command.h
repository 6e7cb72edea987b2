// The Convert command, written against the few operations it needs of the
// window so that it runs the same on the real controls and in tests.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/errors.h"

namespace convert {

enum class FieldId { Edit1, Edit2, Edit3 };    // centimetres, chi, cun
enum class RadioId { RadioButton1, RadioButton2 };  // cm -> chi/cun, chi/cun -> cm

class ConvertControls {
public:
    virtual std::u16string Text(FieldId field) const = 0;
    virtual void SetText(FieldId field, std::u16string_view text) = 0;
    virtual bool Checked(RadioId radio) const = 0;

protected:
    ~ConvertControls() = default;
};

// Fills empty fields with "0", parses all three, converts in the checked
// direction and writes all three back. The first field that does not parse
// (EConvertError), or a result that does not fit (ERangeError), ends the
// command with nothing more written; the "0"s already filled in stay.
#if __cpp_exceptions
void RunConvertCommand(ConvertControls& controls);
#endif

// The same without exceptions: the error that ended the command, if any,
// with the same message.
std::optional<Error> TryRunConvertCommand(ConvertControls& controls);

}  // namespace convert
