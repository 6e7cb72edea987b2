#include "core/integer_text.h"

#include <charconv>
#include <optional>

namespace convert {
namespace {

Error Refuse(std::u16string_view text) {
    std::u16string message = u"'";
    message.append(text);
    message.append(u"' is not a valid integer value");
    return {ErrorKind::Convert, std::move(message)};
}

int HexDigitValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// The value, or nothing when the rules refuse the text; kept free of the
// error message so that the common case returns in registers.
[[gnu::always_inline]] inline std::optional<std::int32_t> Parse(std::u16string_view text) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && text[i] == u' ') ++i;

    bool negative = false;
    if (i < n && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }

    bool hex = false;
    if (i < n && (text[i] == u'$' || text[i] == u'x' || text[i] == u'X')) {
        hex = true;
        i += 1;
    } else if (i + 1 < n && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        hex = true;
        i += 2;
    }

    if (i == n) return std::nullopt;  // empty, or a sign or prefix with nothing after it

    // Both forms accumulate in 32 unsigned bits; the checks before each
    // further digit keep the value from ever wrapping.
    std::uint32_t value = 0;
    if (hex) {
        for (std::size_t first = i; i < n; ++i) {
            const int digit = HexDigitValue(text[i]);
            if (digit < 0) return std::nullopt;
            if (i != first && value > 0x0FFFFFFFu) return std::nullopt;
            value = value * 16u + static_cast<std::uint32_t>(digit);
        }
        // The 32-bit pattern is the signed value; "-" negates it modulo 2^32.
        if (negative) value = 0u - value;
        return static_cast<std::int32_t>(value);
    }

    for (std::size_t first = i; i < n; ++i) {
        const char16_t c = text[i];
        if (c < u'0' || c > u'9') return std::nullopt;
        if (i != first && value > 214748364u) return std::nullopt;
        value = value * 10u + static_cast<std::uint32_t>(c - u'0');
    }
    if (negative) {
        if (value > 2147483648u) return std::nullopt;
        return static_cast<std::int32_t>(0u - value);
    }
    if (value > 2147483647u) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

}  // namespace

#if __cpp_exceptions
std::int32_t TextToInteger(std::u16string_view text) {
    if (const auto value = Parse(text)) return *value;
    Throw(Refuse(text));
}
#endif

Result<std::int32_t> TryTextToInteger(std::u16string_view text) {
    if (const auto value = Parse(text)) return *value;
    return Refuse(text);
}

std::u16string IntegerToText(std::int32_t value) {
    char buffer[16];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::u16string(buffer, result.ptr);
}

}  // namespace convert
