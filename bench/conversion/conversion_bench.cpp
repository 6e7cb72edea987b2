// The exact integer core against the long double evaluation it replaces, and
// the field parser against std::from_chars (which does less: no spaces, no
// "+", no hexadecimal prefixes, no UTF-16). Pairs run interleaved in one
// process so that the ratios, not the absolute times, are what count.
//
//   convert_bench [--table FILE] [Google Benchmark options]
#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/integer_text.h"
#include "core/length_conversion.h"
#include "bench/conversion/long_double_length.h"
#include "bench/conversion/ratio_table.h"

namespace {

using convert::TLengthFields;

constexpr int kBatch = 1024;

// Mixed magnitudes, both signs; all within the range that converts.
std::vector<std::int32_t> Values(std::int32_t limit, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<std::int32_t> values;
    for (int i = 0; i < kBatch; ++i) {
        // A random number of digits, so that short and long values both count.
        std::int32_t bound = 9;
        for (int digits = std::uniform_int_distribution<int>(1, 10)(random); digits > 1 && bound < limit / 10;
             --digits) {
            bound = bound * 10 + 9;
        }
        values.push_back(std::uniform_int_distribution<std::int32_t>(-bound, bound)(random));
    }
    return values;
}

const std::vector<std::int32_t>& Centimetres() {
    static const std::vector<std::int32_t> v = Values(2147483647, 1);
    return v;
}
const std::vector<std::int32_t>& Chis() {
    static const std::vector<std::int32_t> v = Values(21474835, 2);
    return v;
}
const std::vector<std::int32_t>& Cuns() {
    static const std::vector<std::int32_t> v = Values(1000, 3);
    return v;
}

template <TLengthFields (*Convert)(TLengthFields)>
void CmToChiCun(benchmark::State& state) {
    const std::vector<std::int32_t>& cm = Centimetres();
    for (auto _ : state) {
        for (std::int32_t v : cm) benchmark::DoNotOptimize(Convert({v, 0, 0}));
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
}

template <TLengthFields (*Convert)(TLengthFields)>
void ChiCunToCm(benchmark::State& state) {
    const std::vector<std::int32_t>&chi = Chis(), &cun = Cuns();
    for (auto _ : state) {
        for (std::size_t i = 0; i < kBatch; ++i) benchmark::DoNotOptimize(Convert({0, chi[i], cun[i]}));
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
}

TLengthFields ExactCmToChiCun(TLengthFields f) { return convert::ConvertLength(convert::cdCmToChiCun, f); }
TLengthFields ExactChiCunToCm(TLengthFields f) { return convert::ConvertLength(convert::cdChiCunToCm, f); }

void TextToInteger(benchmark::State& state) {
    std::vector<std::u16string> texts;
    for (std::int32_t v : Centimetres()) texts.push_back(convert::IntegerToText(v));
    for (auto _ : state) {
        for (const std::u16string& t : texts) benchmark::DoNotOptimize(convert::TextToInteger(t));
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
}

void FromChars(benchmark::State& state) {
    std::vector<std::string> texts;
    for (std::int32_t v : Centimetres()) texts.push_back(std::to_string(v));
    for (auto _ : state) {
        for (const std::string& t : texts) {
            std::int32_t value = 0;
            benchmark::DoNotOptimize(std::from_chars(t.data(), t.data() + t.size(), value));
            benchmark::DoNotOptimize(value);
        }
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
}

void Register() {
    const struct {
        const char* name;
        void (*function)(benchmark::State&);
    } benchmarks[] = {
        {"cm_to_chi_cun/exact", CmToChiCun<ExactCmToChiCun>},
        {"cm_to_chi_cun/long_double", CmToChiCun<convert::bench::LongDoubleCmToChiCun>},
        {"chi_cun_to_cm/exact", ChiCunToCm<ExactChiCunToCm>},
        {"chi_cun_to_cm/long_double", ChiCunToCm<convert::bench::LongDoubleChiCunToCm>},
        {"decimal_text/TextToInteger", TextToInteger},
        {"decimal_text/from_chars", FromChars},
    };
    for (const auto& b : benchmarks) benchmark::RegisterBenchmark(b.name, b.function)->Unit(benchmark::kNanosecond);
}

}  // namespace

int main(int argc, char** argv) {
    const char* table_file = nullptr;
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--table") == 0 && i + 1 < argc) {
            table_file = argv[++i];
        } else {
            args.push_back(argv[i]);
        }
    }
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 2;

    Register();
    convert::bench::RatioReporter reporter(kBatch);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::string table;
    const bool complete = reporter.WriteTable(
        {
            {"`ConvertLength`, centimetres to chi and cun: exact integers / long double", "cm_to_chi_cun/exact",
             "cm_to_chi_cun/long_double", 1.0},
            {"`ConvertLength`, chi and cun to centimetres: exact integers / long double", "chi_cun_to_cm/exact",
             "chi_cun_to_cm/long_double", 1.0},
            {"`TextToInteger` (UTF-16) / `std::from_chars` (8-bit), decimal texts", "decimal_text/TextToInteger",
             "decimal_text/from_chars", 1.5},
        },
        table);
    std::fputs(table.c_str(), stdout);
    if (table_file) {
        if (FILE* f = std::fopen(table_file, "w")) {
            std::fputs(table.c_str(), f);
            std::fclose(f);
        } else {
            std::perror(table_file);
            return 1;
        }
    }
    return complete ? 0 : 1;
}
