#include "bench/conversion/long_double_length.h"

#include <cstdint>
#include <stdexcept>

#include "tests/reference/x87_length.h"

namespace convert::bench {

TLengthFields LongDoubleCmToChiCun(TLengthFields fields) {
    std::int64_t chi, cun;
    x87::SignedCmToChiCun(fields.Centimetres, chi, cun);
    return {fields.Centimetres, static_cast<std::int32_t>(chi), static_cast<std::int32_t>(cun)};
}

TLengthFields LongDoubleChiCunToCm(TLengthFields fields) {
    std::int64_t cm;
    if (!x87::SignedChiCunToCm(fields.Chi, fields.Cun, cm)) throw std::range_error("too large");
    return {static_cast<std::int32_t>(cm), fields.Chi, fields.Cun};
}

}  // namespace convert::bench
