// What the number fields take from the keyboard, and the direction arrow.
#pragma once

namespace convert {

// Backspace and the digits 0 to 9; every other character, control
// characters included, is discarded. Text that arrives other than by typing
// is not filtered: the Convert command refuses what is not a number.
constexpr bool IsFieldKeyAllowed(wchar_t key) {
    return key == 8 || (key >= L'0' && key <= L'9');
}

// The caption of the arrow label for each direction.
inline constexpr const wchar_t* kArrowCmToChiCun = L"＝》";
inline constexpr const wchar_t* kArrowChiCunToCm = L"《＝";

}  // namespace convert
