#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace core::edwards25519 {

// The few facts about Ed25519's curve and group that strict verification needs and
// libgcrypt does not check: arithmetic modulo p = 2^255 - 19 on the twisted Edwards
// curve -x^2 + y^2 = 1 + d x^2 y^2 (RFC 8032, section 5.1). Variable time: it only ever
// sees public values (keys and signatures).

using Encoding = std::span<const std::uint8_t, 32>;

// The y coordinate (the low 255 bits) is below p.
bool is_canonical(Encoding point);

// The encoding names a point of the curve (RFC 8032, section 5.1.3), canonically.
bool decodes(Encoding point);

// The point decodes and eight times it is the neutral element: one of the eight points
// of order 1, 2, 4 or 8.
bool has_small_order(Encoding point);

// The little-endian scalar is below the group order L = 2^252 + 277423...8493.
bool is_reduced_scalar(Encoding scalar);

}  // namespace core::edwards25519
