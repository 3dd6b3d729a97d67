#include "core/crypto/sha.h"

#include <cstdlib>

#include <gcrypt.h>

#include "core/crypto/gcrypt_library.h"
#include "core/text/hex.h"

namespace core {
namespace {

template <std::size_t N>
std::array<std::uint8_t, N> digest(int algorithm, std::span<const std::uint8_t> data) {
    // A library too old to start is a broken installation, not an input error.
    if (!ensure_gcrypt()) std::abort();
    std::array<std::uint8_t, N> out{};
    gcry_md_hash_buffer(algorithm, out.data(), data.data(), data.size());
    return out;
}

}  // namespace

Sha256Digest sha256(std::span<const std::uint8_t> data) { return digest<32>(GCRY_MD_SHA256, data); }

Sha512Digest sha512(std::span<const std::uint8_t> data) { return digest<64>(GCRY_MD_SHA512, data); }

std::string sha256_hex(std::span<const std::uint8_t> data) { return hex_encode(sha256(data)); }

}  // namespace core
