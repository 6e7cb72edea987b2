#include "core/length_conversion.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "core/errors.h"

namespace convert {
namespace {

struct CmCase {
    std::int32_t cm, chi, cun;
};

TEST(ConvertLength, CentimetresToChiCun) {
    const CmCase cases[] = {
        {0, 0, 0},
        {1, 0, 0},
        {2, 0, 1},
        {3, 0, 1},
        {5, 0, 1},  // 1.5 cun exactly; the double quotient lies just below
        {10, 0, 3},
        {15, 0, 5},
        {25, 0, 8},
        {32, 0, 10},  // cun is never carried into chi
        {33, 0, 10},
        {35, 1, 1},
        {65, 1, 9},  // 9.5 cun exactly, also just below
        {66, 1, 10},
        {100, 3, 0},
        {1000, 30, 0},
        {12345, 370, 4},
        {715827882, 21474836, 5},  // the largest whose 3*cm fits 32 bits
        {715827883, 21474836, 5},  // beyond it, no wrap-around
        {2147483647, 64424509, 4},
        // Negative lengths are the mirror image of the positive ones.
        {-5, 0, -1},
        {-10, 0, -3},
        {-65, -1, -9},
        {-2147483647, -64424509, -4},
        {-2147483647 - 1, -64424509, -4},
    };
    for (const CmCase& c : cases) {
        const TLengthFields in{c.cm, 777, -777};
        const TLengthFields out = ConvertLength(cdCmToChiCun, in);
        EXPECT_EQ(out, (TLengthFields{c.cm, c.chi, c.cun})) << "cm = " << c.cm;
    }
}

TEST(ConvertLength, ChiCunToCentimetres) {
    const CmCase cases[] = {
        // {cm expected, chi, cun}
        {0, 0, 0},
        {33, 1, 0},
        {3, 0, 1},
        {7, 0, 2},
        {50, 1, 5},
        {90, 2, 7},
        {100, 3, 0},
        {33, 0, 10},
        {50, 0, 15},  // cun above ten is accepted as it is
        {333, 10, 0},
        {715827900, 21474837, 0},  // 100 * chi no longer fits 32 bits
        {2147483647, 64424509, 4},
        {-2147483647, -64424509, -4},
        // Mirror image, and mixed signs by their signed total.
        {-33, -1, 0},
        {-3, 0, -1},
        {-50, -1, -5},
        {17, 1, -5},
        {-17, -1, 5},
        {0, 1, -10},
    };
    for (const CmCase& c : cases) {
        const TLengthFields in{12345, c.chi, c.cun};
        EXPECT_EQ(ConvertLength(cdChiCunToCm, in), (TLengthFields{c.cm, c.chi, c.cun}))
            << "chi = " << c.chi << ", cun = " << c.cun;
    }
}

TEST(ConvertLength, TooLargeForCentimetres) {
    const TLengthFields cases[] = {
        {0, 64424509, 5},
        {0, -64424509, -5},
        {0, 2147483647, 0},
        {0, -2147483647 - 1, -2147483647 - 1},
        {0, 2147483647, 2147483647},
        {0, 64424510, -4},  // 2147483653.3
    };
    for (const TLengthFields& in : cases) {
        try {
            ConvertLength(cdChiCunToCm, in);
            ADD_FAILURE() << "no error for chi = " << in.Chi << ", cun = " << in.Cun;
        } catch (const ERangeError& e) {
            EXPECT_EQ(e.Message(), u"The length is too large to convert");
        }
    }
}

TEST(ConvertLength, RoundTripsAreNotAlwaysExact) {
    const CmCase cases[] = {{100, 100, 0}, {10, 10, 0}, {1, 0, 0}, {5, 3, 0}};
    for (const CmCase& c : cases) {
        const TLengthFields there = ConvertLength(cdCmToChiCun, {c.cm, 0, 0});
        EXPECT_EQ(ConvertLength(cdChiCunToCm, there).Centimetres, c.chi) << "cm = " << c.cm;
    }
}

}  // namespace
}  // namespace convert
