// SHA-256 with the system's own implementation (CNG), as winget checks a download.
#pragma once

#include <string>
#include <string_view>

namespace install {

// Lower-case hex; empty when CNG refuses.
std::string Sha256Hex(std::string_view bytes);

}  // namespace install
