// A second, deliberately plain reading of the field-text rules, kept apart
// from core/integer_text.cpp so that the fuzzer can compare the two: digits
// are kept as strings and compared as numbers of any size, each rule is a
// separate step, and nothing is shared with the real parser.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace convert::model {

// The value of a field's text, or nothing when the rules refuse it.
std::optional<std::int32_t> ParseInteger(std::u16string_view text);

// The message a refused text raises.
std::u16string RefusalMessage(std::u16string_view text);

// Plain decimal, digit by digit.
std::u16string DecimalText(std::int64_t value);

}  // namespace convert::model
