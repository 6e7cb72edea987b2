#include "core/length_conversion.h"

#include <bit>
#include <cstdint>

namespace convert {
namespace {

using u64 = std::uint64_t;

// Rounds n / 2^bits to nearest, ties to even.
u64 RoundShiftEven(u64 n, int bits) {
    const u64 half = u64{1} << (bits - 1);
    const u64 low = n & ((u64{1} << bits) - 1);
    u64 q = n >> bits;
    if (low > half || (low == half && (q & 1))) ++q;
    return q;
}

// |cm| -> (chi, cun) for a magnitude up to 2^31.
//
// The quotient q = 3*cm/100 (< 2^27) is rounded to a 64-bit significand:
// N64 = round(q * 2^(63-e)) with e = floor(log2 q), so N64 is in [2^63, 2^64).
// Rounding N64 by 11 bits gives the double's significand N53, and the double
// is N53 * 2^(e-52): F = 52-e of its bits are fraction. The later steps of
// the x87 evaluation (fraction, times ten, plus a half) are exact in the
// 64-bit significand, so they are plain integer operations here.
void CentimetresToChiCun(u64 cm, u64& chi, u64& cun) {
    const u64 p = 3 * cm;  // < 2^33
    if (p == 0) {
        chi = cun = 0;
        return;
    }
    u64 whole = p / 100;
    u64 rest = p % 100;

    int e;
    if (whole != 0) {
        e = static_cast<int>(std::bit_width(whole)) - 1;  // 0..26
    } else {
        e = 0;
        while ((rest << -e) < 100) --e;  // -7..-1
    }

    // N64 = floor(p * 2^(63-e) / 100) by long division in steps that keep
    // every product below 2^64; the final quotient itself is below 2^64.
    u64 n64 = whole;
    for (int shift = 63 - e; shift > 0;) {
        const int step = shift < 56 ? shift : 56;
        const u64 t = rest << step;  // rest < 100 < 2^7
        n64 = (n64 << step) + t / 100;
        rest = t % 100;
        shift -= step;
    }
    // Ties to even. Rounding up cannot reach 2^64: q is at least 1/100 below
    // the next power of two, far more than half a unit of N64.
    if (rest > 50 || (rest == 50 && (n64 & 1))) ++n64;

    const u64 n53 = RoundShiftEven(n64, 11);
    const int fraction_bits = 52 - e;  // 26..59
    const u64 fraction = n53 & ((u64{1} << fraction_bits) - 1);
    chi = n53 >> fraction_bits;
    // floor(10 * fraction / 2^F + 1/2); 20 * fraction < 20 * 2^59 < 2^64.
    cun = (20 * fraction + (u64{1} << fraction_bits)) >> (fraction_bits + 1);
}

u64 Magnitude(std::int64_t v) { return v < 0 ? 0 - static_cast<u64>(v) : static_cast<u64>(v); }

// Converts a magnitude back to a signed 32-bit value; the callers have
// checked that it fits.
std::int32_t Signed(bool negative, u64 magnitude) {
    const std::int64_t v = static_cast<std::int64_t>(magnitude);
    return static_cast<std::int32_t>(negative ? -v : v);
}

}  // namespace

#if __cpp_exceptions
TLengthFields ConvertLength(TConvertDirection direction, TLengthFields fields) {
    return ValueOrThrow(TryConvertLength(direction, fields));
}
#endif

Result<TLengthFields> TryConvertLength(TConvertDirection direction, TLengthFields fields) {
    if (direction == cdCmToChiCun) {
        u64 chi, cun;
        CentimetresToChiCun(Magnitude(fields.Centimetres), chi, cun);
        // chi <= 64424509 and cun <= 10 for any 32-bit input.
        const bool negative = fields.Centimetres < 0;
        fields.Chi = Signed(negative, chi);
        fields.Cun = Signed(negative, cun);
        return fields;
    }

    // Three times the length in centimetres; mixed signs use the signed total.
    const std::int64_t thirds =
        std::int64_t{100} * fields.Chi + std::int64_t{10} * fields.Cun;
    const bool negative = thirds < 0;
    const u64 cm = (Magnitude(thirds) + 1) / 3;  // fraction is 0, 1/3 or 2/3: half up
    if (cm > (negative ? u64{2147483648} : u64{2147483647})) {
        return Error{ErrorKind::Range, u"The length is too large to convert"};
    }
    fields.Centimetres = Signed(negative, cm);
    return fields;
}

}  // namespace convert
