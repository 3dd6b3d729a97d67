#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "core/error/error.h"

namespace core {

inline constexpr std::size_t kEd25519KeyBytes = 32;
inline constexpr std::size_t kEd25519SignatureBytes = 64;

using Ed25519PublicKey = std::array<std::uint8_t, kEd25519KeyBytes>;
using Ed25519Seed = std::array<std::uint8_t, kEd25519KeyBytes>;  // the RFC 8032 private key
using Ed25519Signature = std::array<std::uint8_t, kEd25519SignatureBytes>;

// A public key libgcrypt may safely be given: a canonical encoding of a curve point that
// is not of small order. libgcrypt aborts the process on some malformed keys, so every
// key from outside passes here first.
Status check_ed25519_public_key(std::span<const std::uint8_t, kEd25519KeyBytes> key);

// Strict RFC 8032 verification: the key as above, the scalar S below the group order, R
// canonical, on the curve and not of small order; only then is the equation
// [S]B = R + [k]A checked with libgcrypt's curve arithmetic. Errors say which rule
// failed, or carry libgcrypt's own text ("Bad signature").
Status verify_ed25519(std::span<const std::uint8_t, kEd25519KeyBytes> key, std::span<const std::uint8_t> message,
                      std::span<const std::uint8_t, kEd25519SignatureBytes> signature);

Result<Ed25519PublicKey> ed25519_public_key(const Ed25519Seed& seed);
Result<Ed25519Signature> ed25519_sign(const Ed25519Seed& seed, std::span<const std::uint8_t> message);

// A fresh secret from libgcrypt's strongest random source.
Result<Ed25519Seed> ed25519_generate_seed();

}  // namespace core
