// A DLL loaded into the process (a printer driver, an input method) may leave
// the x87 control word or the SSE rounding mode changed. The conversions must
// not notice: here they run under the most hostile modes and are compared
// with what they give under the normal ones.
#include <gtest/gtest.h>

#if defined(__i386__) || defined(__x86_64__)

#include <cstdint>
#include <vector>

#include "core/errors.h"
#include "core/length_conversion.h"

namespace convert {
namespace {

constexpr std::uint16_t kX87PrecisionAndRounding = 0x0F00;
constexpr std::uint16_t kX87SinglePrecisionTowardZero = 0x0C00;  // PC = 24 bits, RC = chop
constexpr std::uint32_t kSseRounding = 0x6000;
constexpr std::uint32_t kSseRoundDown = 0x2000;

std::uint16_t X87ControlWord() {
    std::uint16_t cw;
    asm volatile("fnstcw %0" : "=m"(cw));
    return cw;
}

void SetX87ControlWord(std::uint16_t cw) { asm volatile("fldcw %0" : : "m"(cw) : "memory"); }

// Every x86-64 processor has SSE; a 32-bit build may meet one without it.
bool HasSse() {
#if defined(__x86_64__)
    return true;
#else
    __builtin_cpu_init();
    return __builtin_cpu_supports("sse");
#endif
}

std::uint32_t Mxcsr() {
    std::uint32_t csr;
    asm volatile("stmxcsr %0" : "=m"(csr));
    return csr;
}

void SetMxcsr(std::uint32_t csr) { asm volatile("ldmxcsr %0" : : "m"(csr) : "memory"); }

// Switches to the hostile modes; restores the previous ones however the test ends.
class HostileFpuModes {
public:
    HostileFpuModes() : x87_(X87ControlWord()), sse_(HasSse()), mxcsr_(sse_ ? Mxcsr() : 0) {
        SetX87ControlWord(
            static_cast<std::uint16_t>((x87_ & ~kX87PrecisionAndRounding) | kX87SinglePrecisionTowardZero));
        if (sse_) SetMxcsr((mxcsr_ & ~kSseRounding) | kSseRoundDown);
    }
    ~HostileFpuModes() {
        SetX87ControlWord(x87_);
        if (sse_) SetMxcsr(mxcsr_);
    }
    HostileFpuModes(const HostileFpuModes&) = delete;
    HostileFpuModes& operator=(const HostileFpuModes&) = delete;

private:
    std::uint16_t x87_;
    bool sse_;
    std::uint32_t mxcsr_;
};

struct Outcome {
    TLengthFields fields;
    bool too_large = false;
    friend bool operator==(const Outcome&, const Outcome&) = default;
};

Outcome Convert(TConvertDirection direction, TLengthFields in) {
    try {
        return {ConvertLength(direction, in)};
    } catch (const ERangeError&) {
        return {in, true};
    }
}

// The exact halves, the cun that is never carried, the limits, negatives,
// and a stretch of ordinary values.
std::vector<TLengthFields> Inputs() {
    std::vector<TLengthFields> inputs;
    const std::int32_t values[] = {0,         1,          2,         5,         15,          25,
                                   32,        65,         66,        100,       12345,       715827882,
                                   715827883, 2147483647, -5,        -10,       -65,         -2147483647 - 1,
                                   21474836,  21474837,   64424509,  64424510,  -64424509,   214748364};
    for (std::int32_t v : values) {
        inputs.push_back({v, v, 0});
        inputs.push_back({v, 0, v});
        inputs.push_back({v, -1, v / 3});
    }
    for (std::int32_t v = -3000; v <= 3000; v += 7) inputs.push_back({v * 1001, v, v % 23});
    return inputs;
}

TEST(FpuModes, ConversionsIgnoreX87PrecisionAndSseRounding) {
    const std::vector<TLengthFields> inputs = Inputs();
    std::vector<Outcome> normal, hostile;
    for (const TLengthFields& in : inputs) {
        normal.push_back(Convert(cdCmToChiCun, in));
        normal.push_back(Convert(cdChiCunToCm, in));
    }

    volatile long double one = 1.0L, three = 3.0L;
#if defined(__SSE2_MATH__)
    volatile double minus_one = -1.0, three_d = 3.0;
    volatile double minus_third = minus_one / three_d;
#endif
    volatile long double third = one / three;  // stored, so computed here
    bool x87_changed, sse_changed;
    {
        HostileFpuModes modes;
        // The modes must really be in force, or the test proves nothing.
        volatile long double hostile_third = one / three;
        x87_changed = hostile_third != third;
        sse_changed = !HasSse() || (Mxcsr() & kSseRounding) == kSseRoundDown;
#if defined(__SSE2_MATH__)
        // Nearest rounds -1/3 toward zero; rounding down cannot.
        volatile double hostile_minus_third = minus_one / three_d;
        sse_changed = sse_changed && hostile_minus_third != minus_third;
#endif
        for (const TLengthFields& in : inputs) {
            hostile.push_back(Convert(cdCmToChiCun, in));
            hostile.push_back(Convert(cdChiCunToCm, in));
        }
    }
    EXPECT_TRUE(x87_changed);
    EXPECT_TRUE(sse_changed);
    ASSERT_EQ(hostile.size(), normal.size());
    for (std::size_t i = 0; i < normal.size(); ++i) {
        const TLengthFields& in = inputs[i / 2];
        EXPECT_EQ(hostile[i], normal[i]) << (i % 2 ? "chi/cun to cm" : "cm to chi/cun") << " for " << in.Centimetres
                                         << ", " << in.Chi << ", " << in.Cun;
    }
}

}  // namespace
}  // namespace convert

#endif
