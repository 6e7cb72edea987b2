#include "tests/fuzz/integer_rules_model.h"

#include <cstddef>

namespace convert::model {
namespace {

// Digit strings without leading zeros ("" is zero), compared as numbers.
std::u16string Significant(std::u16string_view digits) {
    std::size_t i = 0;
    while (i < digits.size() && digits[i] == u'0') ++i;
    return std::u16string(digits.substr(i));
}

// a <= b for upper-case digit strings of the same base.
bool NotAbove(std::u16string_view a, std::u16string_view b) {
    const std::u16string x = Significant(a), y = Significant(b);
    if (x.size() != y.size()) return x.size() < y.size();
    return x <= y;
}

bool IsDecimalDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool IsHexDigit(char16_t c) {
    return IsDecimalDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

char16_t Upper(char16_t c) { return c >= u'a' && c <= u'f' ? static_cast<char16_t>(c - u'a' + u'A') : c; }

int DigitValue(char16_t c) {
    if (IsDecimalDigit(c)) return c - u'0';
    return Upper(c) - u'A' + 10;
}

}  // namespace

std::optional<std::int32_t> ParseInteger(std::u16string_view text) {
    // 1. Empty.
    if (text.empty()) return std::nullopt;

    // 2. Leading spaces, code 32 only.
    std::size_t i = 0;
    while (i < text.size() && text[i] == u' ') ++i;

    // 3. One optional sign.
    bool negative = false;
    if (i < text.size() && text[i] == u'-') {
        negative = true;
        ++i;
    } else if (i < text.size() && text[i] == u'+') {
        ++i;
    }

    // 4. The form.
    bool hex = false;
    const std::u16string_view after_sign = text.substr(i);
    if (after_sign.starts_with(u"$") || after_sign.starts_with(u"x") || after_sign.starts_with(u"X")) {
        hex = true;
        i += 1;
    } else if (after_sign.starts_with(u"0x") || after_sign.starts_with(u"0X")) {
        hex = true;
        i += 2;
    }

    // 5, 6 and 7. One or more digits of the form, and nothing else.
    const std::u16string_view digits = text.substr(i);
    if (digits.empty()) return std::nullopt;
    std::u16string upper;
    for (char16_t c : digits) {
        if (!(hex ? IsHexDigit(c) : IsDecimalDigit(c))) return std::nullopt;
        upper += Upper(c);
    }

    // Before each digit after the first, the value taken in so far is limited.
    const std::u16string_view limit = hex ? u"FFFFFFF" : u"214748364";
    for (std::size_t taken = 1; taken < upper.size(); ++taken) {
        if (!NotAbove(std::u16string_view(upper).substr(0, taken), limit)) return std::nullopt;
    }

    // The checks above leave at most ten significant digits: int64 holds them.
    std::int64_t value = 0;
    for (char16_t c : Significant(upper)) value = value * (hex ? 16 : 10) + DigitValue(c);

    if (!hex) {
        if (negative) value = -value;
        if (value < -2147483648LL || value > 2147483647LL) return std::nullopt;
        return static_cast<std::int32_t>(value);
    }

    // The 32-bit pattern read as signed, then negated within 32 bits.
    if (value >= 2147483648LL) value -= 4294967296LL;
    if (negative) value = -value;
    if (value == 2147483648LL) value = -2147483648LL;
    return static_cast<std::int32_t>(value);
}

std::u16string RefusalMessage(std::u16string_view text) {
    return u"'" + std::u16string(text) + u"' is not a valid integer value";
}

std::u16string DecimalText(std::int64_t value) {
    if (value == 0) return u"0";
    const bool negative = value < 0;
    std::u16string reversed;
    for (std::int64_t rest = negative ? -value : value; rest != 0; rest /= 10) {
        reversed += static_cast<char16_t>(u'0' + rest % 10);
    }
    return (negative ? u"-" : u"") + std::u16string(reversed.rbegin(), reversed.rend());
}

}  // namespace convert::model
