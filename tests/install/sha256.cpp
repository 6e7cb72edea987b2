#include "sha256.h"

#include <windows.h>
#include <bcrypt.h>

namespace install {

std::string Sha256Hex(std::string_view bytes) {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) != 0) return {};
    BCRYPT_HASH_HANDLE hash = nullptr;
    unsigned char digest[32] = {};
    bool done = BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0) == 0;
    // BCryptHashData takes at most a ULONG at a time.
    for (std::size_t at = 0; done && at < bytes.size(); at += 1u << 30) {
        const std::string_view part = bytes.substr(at, 1u << 30);
        done = BCryptHashData(hash, reinterpret_cast<PUCHAR>(const_cast<char*>(part.data())),
                              static_cast<ULONG>(part.size()), 0) == 0;
    }
    done = done && BCryptFinishHash(hash, digest, sizeof digest, 0) == 0;
    if (hash) BCryptDestroyHash(hash);
    BCryptCloseAlgorithmProvider(algorithm, 0);
    if (!done) return {};
    static constexpr char kHex[] = "0123456789abcdef";
    std::string hex;
    for (const unsigned char byte : digest) {
        hex += kHex[byte >> 4];
        hex += kHex[byte & 15];
    }
    return hex;
}

}  // namespace install
