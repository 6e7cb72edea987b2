// TextToInteger against the plain model of the rules: the same value, or a
// refusal with the same message; and every accepted value written back by
// IntegerToText must be plain decimal that parses to itself.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "core/errors.h"
#include "core/integer_text.h"
#include "tests/fuzz/fuzz_text.h"
#include "tests/fuzz/integer_rules_model.h"

namespace {

[[noreturn]] void Mismatch(const std::u16string& text, const char* what) {
    std::fprintf(stderr, "MISMATCH for '%s': %s\n", convert::ToUtf8(text).c_str(), what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::u16string text = convert::fuzz::TextFromBytes(data, size);
    const std::optional<std::int32_t> expected = convert::model::ParseInteger(text);

    std::int32_t value;
    try {
        value = convert::TextToInteger(text);
    } catch (const convert::EConvertError& e) {
        if (expected) Mismatch(text, "refused, the rules accept it");
        if (e.Message() != convert::model::RefusalMessage(text)) Mismatch(text, "wrong message");
        return 0;
    }
    if (!expected) Mismatch(text, "accepted, the rules refuse it");
    if (value != *expected) Mismatch(text, "a different value");

    const std::u16string written = convert::IntegerToText(value);
    if (written != convert::model::DecimalText(value)) Mismatch(text, "IntegerToText is not plain decimal");
    try {
        if (convert::TextToInteger(written) != value) Mismatch(text, "IntegerToText reads back differently");
    } catch (const convert::EConvertError&) {
        Mismatch(text, "IntegerToText does not read back");
    }
    return 0;
}
