// Centimetres to chi (100/3 cm) and cun (1/10 chi), and back.
#pragma once

#include <cstdint>

#include "core/errors.h"

namespace convert {

struct TLengthFields {
    std::int32_t Centimetres = 0;
    std::int32_t Chi = 0;
    std::int32_t Cun = 0;

    friend bool operator==(const TLengthFields&, const TLengthFields&) = default;
};

enum TConvertDirection {
    cdCmToChiCun,  // Centimetres given; Chi and Cun computed
    cdChiCunToCm,  // Chi and Cun given; Centimetres computed
};

// The inputs of the chosen direction come back unchanged, the others are
// replaced.
//
// Centimetres to chi and cun: the chi quotient 3*cm/100 is rounded to a
// 64-bit significand and then to a double; Chi is its whole part and Cun is
// ten times the rest rounded half up (it can reach 10; it is never carried
// into Chi). That is the classic x87 evaluation, reproduced here with exact
// integer arithmetic so that no FPU mode, compiler or target can change it.
//
// Chi and cun to centimetres: (100*chi + 10*cun)/3 rounded half up, which
// never meets a tie. Throws ERangeError("The length is too large to convert")
// when the result does not fit 32 bits.
//
// Negative lengths convert as the mirror image of the positive ones.
#if __cpp_exceptions
TLengthFields ConvertLength(TConvertDirection direction, TLengthFields fields);
#endif

// The same without exceptions: the fields, or the error (ErrorKind::Range)
// with the same message.
Result<TLengthFields> TryConvertLength(TConvertDirection direction, TLengthFields fields);

}  // namespace convert
