#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace core {

using Sha256Digest = std::array<std::uint8_t, 32>;
using Sha512Digest = std::array<std::uint8_t, 64>;

// FIPS 180-4 digests through libgcrypt.
Sha256Digest sha256(std::span<const std::uint8_t> data);
Sha512Digest sha512(std::span<const std::uint8_t> data);

// 64 lowercase hexadecimal digits: the package hash that names stored package copies.
std::string sha256_hex(std::span<const std::uint8_t> data);

}  // namespace core
