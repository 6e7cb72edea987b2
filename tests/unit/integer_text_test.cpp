#include "core/integer_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "core/errors.h"

namespace convert {
namespace {

TEST(TextToInteger, Accepts) {
    const struct {
        std::u16string text;
        std::int32_t value;
    } cases[] = {
        {u"0", 0},
        {u"007", 7},
        {u"  12", 12},
        {u"+5", 5},
        {u"-5", -5},
        {u"-0", 0},
        {u"2147483647", 2147483647},
        {u"-2147483648", -2147483647 - 1},
        {u"0000000000002147483647", 2147483647},
        {u"$1F", 31},
        {u"$1f", 31},
        {u"x10", 16},
        {u"X10", 16},
        {u"0x10", 16},
        {u"0X10", 16},
        {u"-$10", -16},
        {u"+0x10", 16},
        {u"$FFFFFFFF", -1},
        {u"$80000000", -2147483647 - 1},
        {u"-$80000000", -2147483647 - 1},  // negation wraps in 32 bits
        {u"-$FFFFFFFF", 1},
        {u"$000000000FFFFFFFF", -1},  // leading zeros do not count
        {u"0x0", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TextToInteger(c.text), c.value) << ToUtf8(c.text);
    }
}

TEST(TextToInteger, RefusesWithTheWholeTextQuoted) {
    const std::u16string cases[] = {
        u"",
        u" ",
        u"12 ",
        u"\t12",
        u"-",
        u"+",
        u"$",
        u"0x",
        u"x",
        u"- 5",
        u"+-5",
        u"--5",
        u"2147483648",
        u"-2147483649",
        u"99999999999",
        u"4294967296",
        u"1.5",
        u"1,000",
        u"$123456789",  // nine significant hexadecimal digits
        u"$G",
        u"0x-1",
        u"00x1",
        u"1e3",
        u"１２",  // full-width digits
        u"十二",
        u"%s%n%x%d",
        std::u16string(1, u'\0'),
        std::u16string(u"5\0", 2),
    };
    for (const std::u16string& text : cases) {
        try {
            const std::int32_t value = TextToInteger(text);
            ADD_FAILURE() << "accepted '" << ToUtf8(text) << "' as " << value;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), u"'" + text + u"' is not a valid integer value");
        }
    }
}

TEST(TextToInteger, ErrorMessagesAreExact) {
    const struct {
        std::u16string text;
        const char* what;
    } cases[] = {
        {u" ", "' ' is not a valid integer value"},
        {u"2147483648", "'2147483648' is not a valid integer value"},
        {u"寸", "'\xE5\xAF\xB8' is not a valid integer value"},
    };
    for (const auto& c : cases) {
        try {
            TextToInteger(c.text);
            ADD_FAILURE() << c.what;
        } catch (const EConvertError& e) {
            EXPECT_STREQ(e.what(), c.what);
        }
    }
}

TEST(IntegerToText, PlainDecimal) {
    const struct {
        std::int32_t value;
        std::u16string text;
    } cases[] = {
        {0, u"0"},
        {7, u"7"},
        {-32, u"-32"},
        {2147483647, u"2147483647"},
        {-2147483647 - 1, u"-2147483648"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IntegerToText(c.value), c.text);
        EXPECT_EQ(TextToInteger(c.text), c.value);
    }
}

}  // namespace
}  // namespace convert
