// Field text to 32-bit integers and back.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/errors.h"

namespace convert {

// Parses a field's text. Accepts leading spaces (code 32 only), one sign,
// decimal digits, or hexadecimal digits after "$", "x", "X", "0x" or "0X".
// Anything else, an empty text or a value outside 32 bits throws
// EConvertError("'<text>' is not a valid integer value") quoting the whole
// text unchanged.
#if __cpp_exceptions
std::int32_t TextToInteger(std::u16string_view text);
#endif

// The same without exceptions: the value, or the error (ErrorKind::Convert)
// with the same message.
Result<std::int32_t> TryTextToInteger(std::u16string_view text);

// Plain decimal: a minus sign for negatives, no plus, no leading zeros.
std::u16string IntegerToText(std::int32_t value);

}  // namespace convert
