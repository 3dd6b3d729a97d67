#include "core/crypto/edwards25519.h"

#include <optional>

namespace core::edwards25519 {
namespace {

using u64 = std::uint64_t;
// GCC and Clang on x86-64 (Linux and MinGW) have a 128-bit integer for the products.
__extension__ using u128 = unsigned __int128;

constexpr u64 kMask51 = (u64{1} << 51) - 1;

// A field element in five limbs of 51 bits (radix 2^51), not necessarily reduced.
struct Fe {
    u64 v[5];
};

u64 load_le64(const std::uint8_t* in) {
    u64 value = 0;
    for (int i = 7; i >= 0; --i) value = value << 8 | in[i];
    return value;
}

// Propagates carries so that every limb is below 2^51 plus a little.
Fe carry(Fe h) {
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < 4; ++i) {
            h.v[i + 1] += h.v[i] >> 51;
            h.v[i] &= kMask51;
        }
        h.v[0] += 19 * (h.v[4] >> 51);
        h.v[4] &= kMask51;
    }
    return h;
}

// Reads the low 255 bits; the caller has checked canonicity where it matters.
Fe from_bytes(const std::uint8_t* s) {
    return Fe{{load_le64(s) & kMask51, (load_le64(s + 6) >> 3) & kMask51, (load_le64(s + 12) >> 6) & kMask51,
               (load_le64(s + 19) >> 1) & kMask51, (load_le64(s + 24) >> 12) & kMask51}};
}

// The unique representative below p, as 32 little-endian bytes.
std::array<std::uint8_t, 32> to_bytes(Fe h) {
    h = carry(h);
    // q is 1 exactly when h >= p: adding 19 then carries out of bit 255.
    u64 q = (h.v[0] + 19) >> 51;
    for (int i = 1; i < 5; ++i) q = (h.v[i] + q) >> 51;
    h.v[0] += 19 * q;
    for (int i = 0; i < 4; ++i) {
        h.v[i + 1] += h.v[i] >> 51;
        h.v[i] &= kMask51;
    }
    h.v[4] &= kMask51;
    std::array<std::uint8_t, 32> out{};
    u128 acc = 0;
    int bits = 0;
    std::size_t k = 0;
    for (int i = 0; i < 5; ++i) {
        acc |= u128{h.v[i]} << bits;
        bits += 51;
        while (bits >= 8 && k < 32) {
            out[k++] = static_cast<std::uint8_t>(acc);
            acc >>= 8;
            bits -= 8;
        }
    }
    while (k < 32) {
        out[k++] = static_cast<std::uint8_t>(acc);
        acc >>= 8;
    }
    return out;
}

Fe add(const Fe& a, const Fe& b) {
    Fe r;
    for (int i = 0; i < 5; ++i) r.v[i] = a.v[i] + b.v[i];
    return carry(r);
}

// a - b + 4p keeps every limb positive for carried inputs.
Fe sub(const Fe& a, const Fe& b) {
    constexpr u64 k4p0 = 4 * ((u64{1} << 51) - 19);
    constexpr u64 k4pi = 4 * ((u64{1} << 51) - 1);
    Fe r;
    r.v[0] = a.v[0] + k4p0 - b.v[0];
    for (int i = 1; i < 5; ++i) r.v[i] = a.v[i] + k4pi - b.v[i];
    return carry(r);
}

Fe mul(const Fe& a, const Fe& b) {
    const u64 b1 = 19 * b.v[1], b2 = 19 * b.v[2], b3 = 19 * b.v[3], b4 = 19 * b.v[4];
    u128 r[5];
    r[0] = u128{a.v[0]} * b.v[0] + u128{a.v[1]} * b4 + u128{a.v[2]} * b3 + u128{a.v[3]} * b2 + u128{a.v[4]} * b1;
    r[1] = u128{a.v[0]} * b.v[1] + u128{a.v[1]} * b.v[0] + u128{a.v[2]} * b4 + u128{a.v[3]} * b3 +
           u128{a.v[4]} * b2;
    r[2] = u128{a.v[0]} * b.v[2] + u128{a.v[1]} * b.v[1] + u128{a.v[2]} * b.v[0] + u128{a.v[3]} * b4 +
           u128{a.v[4]} * b3;
    r[3] = u128{a.v[0]} * b.v[3] + u128{a.v[1]} * b.v[2] + u128{a.v[2]} * b.v[1] + u128{a.v[3]} * b.v[0] +
           u128{a.v[4]} * b4;
    r[4] = u128{a.v[0]} * b.v[4] + u128{a.v[1]} * b.v[3] + u128{a.v[2]} * b.v[2] + u128{a.v[3]} * b.v[1] +
           u128{a.v[4]} * b.v[0];
    for (int i = 0; i < 4; ++i) {
        r[i + 1] += r[i] >> 51;
        r[i] &= kMask51;
    }
    Fe out;
    for (int i = 0; i < 5; ++i) out.v[i] = static_cast<u64>(r[i] & kMask51);
    out.v[0] += 19 * static_cast<u64>(r[4] >> 51);
    return carry(out);
}

Fe square(const Fe& a) { return mul(a, a); }

// a raised to a little-endian exponent, square and multiply from the top bit.
Fe power(const Fe& a, const std::array<std::uint8_t, 32>& exponent) {
    Fe r{{1, 0, 0, 0, 0}};
    for (int bit = 255; bit >= 0; --bit) {
        r = square(r);
        if ((exponent[bit / 8] >> (bit % 8)) & 1) r = mul(r, a);
    }
    return r;
}

bool is_zero(const Fe& a) {
    for (const std::uint8_t byte : to_bytes(a)) {
        if (byte != 0) return false;
    }
    return true;
}

bool equal(const Fe& a, const Fe& b) { return to_bytes(a) == to_bytes(b); }

Fe constant(const std::array<std::uint8_t, 32>& bytes) { return from_bytes(bytes.data()); }

// d = -121665 / 121666, sqrt(-1) = 2^((p-1)/4), and (p-5)/8 = 2^252 - 3, little-endian.
constexpr std::array<std::uint8_t, 32> kD = {
    0xa3, 0x78, 0x59, 0x13, 0xca, 0x4d, 0xeb, 0x75, 0xab, 0xd8, 0x41, 0x41, 0x4d, 0x0a, 0x70, 0x00,
    0x98, 0xe8, 0x79, 0x77, 0x79, 0x40, 0xc7, 0x8c, 0x73, 0xfe, 0x6f, 0x2b, 0xee, 0x6c, 0x03, 0x52};
constexpr std::array<std::uint8_t, 32> kSqrtMinusOne = {
    0xb0, 0xa0, 0x0e, 0x4a, 0x27, 0x1b, 0xee, 0xc4, 0x78, 0xe4, 0x2f, 0xad, 0x06, 0x18, 0x43, 0x2f,
    0xa7, 0xd7, 0xfb, 0x3d, 0x99, 0x00, 0x4d, 0x2b, 0x0b, 0xdf, 0xc1, 0x4f, 0x80, 0x24, 0x83, 0x2b};
constexpr std::array<std::uint8_t, 32> kSqrtExponent = {
    0xfd, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff,
    0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0x0f};
// L, little-endian.
constexpr std::array<std::uint8_t, 32> kGroupOrder = {
    0xed, 0xd3, 0xf5, 0x5c, 0x1a, 0x63, 0x12, 0x58, 0xd6, 0x9c, 0xf7, 0xa2, 0xde, 0xf9, 0xde, 0x14,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10};

// Extended coordinates (X : Y : Z : T) with x = X/Z, y = Y/Z, xy = T/Z.
struct Point {
    Fe x, y, z, t;
};

std::optional<Point> decode(Encoding encoding) {
    if (!is_canonical(encoding)) return std::nullopt;
    const bool x_odd = (encoding[31] >> 7) != 0;
    const Fe one{{1, 0, 0, 0, 0}};
    const Fe y = from_bytes(encoding.data());
    const Fe yy = square(y);
    const Fe u = sub(yy, one);                    // y^2 - 1
    const Fe v = add(mul(constant(kD), yy), one);  // d y^2 + 1
    // x = u v^3 (u v^7)^((p-5)/8), then fix the root up by sqrt(-1) if needed.
    const Fe v3 = mul(square(v), v);
    const Fe v7 = mul(square(v3), v);
    Fe x = mul(mul(u, v3), power(mul(u, v7), kSqrtExponent));
    const Fe vxx = mul(v, square(x));
    if (!equal(vxx, u)) {
        if (!equal(vxx, sub(Fe{{0, 0, 0, 0, 0}}, u))) return std::nullopt;  // no square root
        x = mul(x, constant(kSqrtMinusOne));
    }
    const auto x_bytes = to_bytes(x);
    if (is_zero(x) && x_odd) return std::nullopt;  // -0 is not an encoding
    if (((x_bytes[0] & 1) != 0) != x_odd) x = sub(Fe{{0, 0, 0, 0, 0}}, x);
    return Point{x, y, one, mul(x, y)};
}

// Doubling on a = -1 (Hisil, Wong, Carter, Dawson 2008, "dbl-2008-hwcd").
Point twice(const Point& p) {
    const Fe a = square(p.x);
    const Fe b = square(p.y);
    const Fe zz = square(p.z);
    const Fe c = add(zz, zz);
    const Fe d = sub(Fe{{0, 0, 0, 0, 0}}, a);
    const Fe e = sub(sub(square(add(p.x, p.y)), a), b);
    const Fe g = add(d, b);
    const Fe f = sub(g, c);
    const Fe h = sub(d, b);
    return Point{mul(e, f), mul(g, h), mul(f, g), mul(e, h)};
}

}  // namespace

bool is_canonical(Encoding point) {
    // y >= p only for the nineteen values 2^255 - 19 .. 2^255 - 1: low byte >= 0xed,
    // every middle byte 0xff, and the top byte 0x7f once the sign bit is dropped.
    if ((point[31] & 0x7f) != 0x7f) return true;
    for (int i = 30; i >= 1; --i) {
        if (point[i] != 0xff) return true;
    }
    return point[0] < 0xed;
}

bool decodes(Encoding point) { return decode(point).has_value(); }

bool has_small_order(Encoding point) {
    const auto decoded = decode(point);
    if (!decoded) return false;
    const Point eight = twice(twice(twice(*decoded)));
    return is_zero(eight.x) && equal(eight.y, eight.z);
}

bool is_reduced_scalar(Encoding scalar) {
    for (int i = 31; i >= 0; --i) {
        if (scalar[i] != kGroupOrder[i]) return scalar[i] < kGroupOrder[i];
    }
    return false;  // equal to L
}

}  // namespace core::edwards25519
