// The long double evaluation of ConvertLength's steps, as the baseline it is
// measured against. In its own file, as ConvertLength is, so that both are
// called the same way and neither is folded into the benchmark loop.
#pragma once

#include "core/length_conversion.h"

namespace convert::bench {

TLengthFields LongDoubleCmToChiCun(TLengthFields fields);
TLengthFields LongDoubleChiCunToCm(TLengthFields fields);  // throws std::range_error

}  // namespace convert::bench
