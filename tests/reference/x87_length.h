// The classic x87 evaluation of the two conversions: every step with a
// 64-bit significand, rounding to nearest, and the chi quotient stored once
// as a double. The exact core must reproduce it; the sweep, the fuzzer and
// the benchmarks compare with it.
//
// Needs an x86 long double and the x87 control word at 64-bit precision and
// round-to-nearest (the Linux default; Windows starts at 53 bits).
#pragma once

#include <cstdint>
#include <limits>

#include "core/length_conversion.h"

static_assert(std::numeric_limits<long double>::digits == 64,
              "the reference needs the x87 double-extended format");

namespace convert::x87 {

// A non-negative length in centimetres (64-bit product, so no wrap-around).
inline void CmToChiCun(std::int64_t cm, std::int64_t& chi, std::int64_t& cun) {
    const long double p = static_cast<long double>(cm * 3);
    volatile double stored = static_cast<double>(p / 100.0L);
    const long double x = stored;
    chi = static_cast<std::int64_t>(x);
    const long double f = x - static_cast<long double>(chi);
    const long double g = f * 10.0L;
    const long double h = g + 0.5L;
    cun = static_cast<std::int64_t>(h);
}

// Chi and cun of one sign, as magnitudes.
inline std::int64_t ChiCunToCm(std::int64_t chi, std::int64_t cun) {
    const std::int64_t a = cun * 10;
    const std::int64_t b = chi * 100;
    const long double s = static_cast<long double>(a) / 3.0L + static_cast<long double>(b) / 3.0L;
    return static_cast<std::int64_t>(s + 0.5L);
}

// Any centimetre value, negatives as the mirror image of the positives.
inline void SignedCmToChiCun(std::int32_t cm, std::int64_t& chi, std::int64_t& cun) {
    CmToChiCun(cm < 0 ? -std::int64_t{cm} : std::int64_t{cm}, chi, cun);
    if (cm < 0) {
        chi = -chi;
        cun = -cun;
    }
}

// Any pair: the mirror rule, and mixed signs by their signed total. Returns
// false when the result does not fit 32 bits.
inline bool SignedChiCunToCm(std::int32_t chi, std::int32_t cun, std::int64_t& cm) {
    std::int64_t magnitude;
    bool negative;
    if ((chi >= 0) == (cun >= 0) || chi == 0 || cun == 0) {
        negative = chi < 0 || cun < 0;
        magnitude = ChiCunToCm(negative ? -std::int64_t{chi} : chi, negative ? -std::int64_t{cun} : cun);
    } else {
        const std::int64_t total = std::int64_t{chi} * 100 + std::int64_t{cun} * 10;
        negative = total < 0;
        // total is a multiple of ten: total/10 cun is exactly the same length.
        magnitude = ChiCunToCm(0, (negative ? -total : total) / 10);
    }
    cm = negative ? -magnitude : magnitude;
    return cm >= std::numeric_limits<std::int32_t>::min() && cm <= std::numeric_limits<std::int32_t>::max();
}

}  // namespace convert::x87
