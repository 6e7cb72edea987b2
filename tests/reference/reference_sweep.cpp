// Compares the exact integer core with the classic x87 evaluation it
// reproduces: a 64-bit significand for every step, round to nearest, and the
// chi quotient stored once as a double.
//
//   reference_sweep [--cm-limit N] [--chi-limit N] [--cun-limit N] [--pairs N] [--threads N]
//
// Centimetres: every value 0..cm-limit and its negative (mirror rule).
// Chi and cun: every pair with |chi| <= chi-limit and |cun| <= cun-limit,
// then `pairs` random pairs over the whole 32-bit range.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "core/errors.h"
#include "core/length_conversion.h"
#include "tests/reference/x87_length.h"

namespace {

using convert::TLengthFields;
using i64 = std::int64_t;

constexpr std::uint16_t kPrecisionAndRounding = 0x0F00;  // PC and RC bits
constexpr std::uint16_t kExtendedNearest = 0x0300;      // PC = 64 bits, RC = nearest

std::uint16_t ReadControlWord() {
    std::uint16_t cw;
    asm volatile("fnstcw %0" : "=m"(cw));
    return cw;
}

void SetExtendedNearest() {
    std::uint16_t cw = ReadControlWord();
    cw = static_cast<std::uint16_t>((cw & ~kPrecisionAndRounding) | kExtendedNearest);
    asm volatile("fldcw %0" : : "m"(cw));
}

bool ControlWordIsExtendedNearest() {
    return (ReadControlWord() & kPrecisionAndRounding) == kExtendedNearest;
}

struct Tally {
    std::atomic<std::uint64_t> compared{0};
    std::atomic<std::uint64_t> mismatches{0};
    std::atomic<bool> fpu_changed{false};
    std::mutex print;

    void Report(const char* what) {
        std::lock_guard<std::mutex> lock(print);
        if (mismatches.fetch_add(1) < 20) std::printf("MISMATCH %s\n", what);
    }
};

void CheckCm(std::int32_t cm, Tally& tally, std::uint64_t& count) {
    i64 chi, cun;
    convert::x87::SignedCmToChiCun(cm, chi, cun);
    const TLengthFields got = convert::ConvertLength(convert::cdCmToChiCun, {cm, 0, 0});
    ++count;
    if (got.Chi != chi || got.Cun != cun) {
        char line[160];
        std::snprintf(line, sizeof line, "cm %d: core %d chi %d cun, reference %lld chi %lld cun", cm,
                      got.Chi, got.Cun, static_cast<long long>(chi), static_cast<long long>(cun));
        tally.Report(line);
    }
}

void CheckPair(std::int32_t chi, std::int32_t cun, Tally& tally, std::uint64_t& count) {
    i64 want;
    const bool fits = convert::x87::SignedChiCunToCm(chi, cun, want);
    bool threw = false;
    std::int32_t got = 0;
    try {
        got = convert::ConvertLength(convert::cdChiCunToCm, {0, chi, cun}).Centimetres;
    } catch (const convert::ERangeError&) {
        threw = true;
    }
    ++count;
    if (threw == fits || (fits && got != want)) {
        char line[160];
        std::snprintf(line, sizeof line, "chi %d cun %d: core %s%d, reference %s%lld", chi, cun,
                      threw ? "error " : "", got, fits ? "" : "too large ", static_cast<long long>(want));
        tally.Report(line);
    }
}

i64 Arg(int argc, char** argv, const char* name, i64 fallback) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0) return std::strtoll(argv[i + 1], nullptr, 10);
    }
    return fallback;
}

}  // namespace

int main(int argc, char** argv) {
    const i64 cm_limit = Arg(argc, argv, "--cm-limit", 2147483647);
    const i64 chi_limit = Arg(argc, argv, "--chi-limit", 100000);
    const i64 cun_limit = Arg(argc, argv, "--cun-limit", 100);
    const i64 pairs = Arg(argc, argv, "--pairs", 10000000);
    const int threads = static_cast<int>(Arg(argc, argv, "--threads", 2));

    Tally tally;
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            SetExtendedNearest();  // each thread has its own FPU state
            std::uint64_t count = 0;
            for (i64 cm = t; cm <= cm_limit; cm += threads) {
                CheckCm(static_cast<std::int32_t>(cm), tally, count);
                CheckCm(static_cast<std::int32_t>(-cm), tally, count);
            }
            if (t == 0 && cm_limit == 2147483647) {
                CheckCm(std::numeric_limits<std::int32_t>::min(), tally, count);
            }
            for (i64 chi = -chi_limit + t; chi <= chi_limit; chi += threads) {
                for (i64 cun = -cun_limit; cun <= cun_limit; ++cun) {
                    CheckPair(static_cast<std::int32_t>(chi), static_cast<std::int32_t>(cun), tally, count);
                }
            }
            std::mt19937_64 random(0x5EEDu + static_cast<unsigned>(t));
            for (i64 i = t; i < pairs; i += threads) {
                const std::uint64_t bits = random();
                // Half the pairs over the whole range, half where results still fit.
                std::int32_t chi = static_cast<std::int32_t>(static_cast<std::uint32_t>(bits));
                std::int32_t cun = static_cast<std::int32_t>(static_cast<std::uint32_t>(bits >> 32));
                if (i % 2) {
                    chi %= 64424510;
                    cun %= 214748365;
                }
                CheckPair(chi, cun, tally, count);
            }
            if (!ControlWordIsExtendedNearest()) tally.fpu_changed = true;
            tally.compared += count;
        });
    }
    for (std::thread& w : workers) w.join();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    std::printf("compared %llu results with the x87 reference in %.1f s: %llu mismatches\n",
                static_cast<unsigned long long>(tally.compared.load()), seconds,
                static_cast<unsigned long long>(tally.mismatches.load()));
    if (tally.fpu_changed) std::printf("the x87 control word changed during the run\n");
    return tally.mismatches == 0 && !tally.fpu_changed ? 0 : 1;
}
