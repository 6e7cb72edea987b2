// Turns fuzzer bytes into field text. ASCII bytes stay themselves so that
// seeds are readable and the mutator's dictionary of digits and signs works;
// the upper half reaches UTF-16 units that a careless parser could confuse
// with ASCII: full-width digits, units whose low byte is a digit, a sign,
// a space, "$" or "x", surrogates, and Chinese text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace convert::fuzz {

inline char16_t UnitFromByte(std::uint8_t byte) {
    if (byte < 0x80) return byte;
    static constexpr char16_t kBlocks[8] = {
        0xFF10,  // full-width digits 0-9 and : ; < = > ?
        0x0130,  // low byte '0'-'?'
        0x0120,  // low byte ' ' to '/': space, '$', '+', '-'
        0x0170,  // low byte 'p'-'\x7F', 'x' among them
        0x0150,  // low byte 'P'-'_', 'X' among them
        0x3000,  // ideographic space and punctuation
        0xD800,  // high surrogates
        0x4E00,  // Chinese
    };
    return static_cast<char16_t>(kBlocks[(byte - 0x80) >> 4] + (byte & 0x0F));
}

inline std::u16string TextFromBytes(const std::uint8_t* data, std::size_t size) {
    std::u16string text;
    text.reserve(size);
    for (std::size_t i = 0; i < size; ++i) text += UnitFromByte(data[i]);
    return text;
}

}  // namespace convert::fuzz
