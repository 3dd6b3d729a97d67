#include "core/crypto/ed25519.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include <gcrypt.h>

#include "core/crypto/edwards25519.h"
#include "core/crypto/gcrypt_library.h"
#include "core/unique_resource.h"

namespace core {
namespace {

// Why not gcry_pk_sign / gcry_pk_verify: they take the message inside an S-expression,
// and libgcrypt 1.10's S-expressions hold at most 65,535 bytes per datum (a longer one
// makes sexp.c abort the process), while a package signs up to 64 MiB. So the EdDSA
// steps of RFC 8032 (sections 5.1.6 and 5.1.7) are spelled out here over libgcrypt's
// hash, big-number and curve operations; the message is hashed where it lies, uncopied.

// libgcrypt's objects, each released by its own function.
template <class Handle, void (*Release)(Handle)>
struct gcrypt_traits {
    using handle_type = Handle;
    static Handle invalid() { return nullptr; }
    static void close(Handle handle) { Release(handle); }
};

void release_mpi(gcry_mpi_t mpi) { gcry_mpi_release(mpi); }
void release_point(gcry_mpi_point_t point) { gcry_mpi_point_release(point); }
void release_context(gcry_ctx_t context) { gcry_ctx_release(context); }
void release_hash(gcry_md_hd_t hash) { gcry_md_close(hash); }

using Mpi = unique_resource<gcrypt_traits<gcry_mpi_t, release_mpi>>;
using Point = unique_resource<gcrypt_traits<gcry_mpi_point_t, release_point>>;
using Context = unique_resource<gcrypt_traits<gcry_ctx_t, release_context>>;
using Hash = unique_resource<gcrypt_traits<gcry_md_hd_t, release_hash>>;

constexpr std::size_t kHashBytes = 64;

Error gcrypt_error(gcry_error_t code) { return Error(gcry_strerror(code)); }

// The curve with its base point G and group order n.
struct Curve {
    Context context;
    Point base;
    Mpi order;
};

Status open_curve(Curve& curve) {
    if (auto ready = ensure_gcrypt(); !ready) return ready;
    if (const gcry_error_t code = gcry_mpi_ec_new(curve.context.put(), nullptr, "Ed25519"); code != 0) {
        return fail(gcrypt_error(code));
    }
    *curve.base.put() = gcry_mpi_ec_get_point("g", curve.context.get(), 1);
    *curve.order.put() = gcry_mpi_ec_get_mpi("n", curve.context.get(), 1);
    if (curve.base.get() == nullptr || curve.order.get() == nullptr) return fail("libgcrypt lacks the Ed25519 curve");
    return {};
}

// A little-endian number, as RFC 8032 writes scalars and digests.
Mpi from_le(std::span<const std::uint8_t> bytes) {
    std::uint8_t big_endian[kHashBytes];
    std::reverse_copy(bytes.begin(), bytes.end(), big_endian);
    Mpi value;
    gcry_mpi_scan(value.put(), GCRYMPI_FMT_USG, big_endian, bytes.size(), nullptr);
    return value;
}

void to_le32(gcry_mpi_t value, std::uint8_t* out) {
    std::uint8_t big_endian[32] = {};
    std::size_t written = 0;
    gcry_mpi_print(GCRYMPI_FMT_USG, big_endian, sizeof big_endian, &written, value);
    std::memset(out, 0, 32);
    for (std::size_t i = 0; i < written; ++i) out[i] = big_endian[written - 1 - i];
}

// y in little-endian with the parity of x in the top bit (RFC 8032, section 5.1.2).
void encode_point(const Curve& curve, gcry_mpi_point_t point, std::uint8_t* out) {
    Mpi x(gcry_mpi_new(0));
    Mpi y(gcry_mpi_new(0));
    gcry_mpi_ec_get_affine(x.get(), y.get(), point, curve.context.get());
    to_le32(y.get(), out);
    if (gcry_mpi_test_bit(x.get(), 0)) out[31] |= 0x80;
}

// SHA-512 of the concatenated parts, reduced modulo the group order.
Result<Mpi> hash_to_scalar(const Curve& curve, std::initializer_list<std::span<const std::uint8_t>> parts) {
    Hash hash;
    if (const gcry_error_t code = gcry_md_open(hash.put(), GCRY_MD_SHA512, 0); code != 0) {
        return fail(gcrypt_error(code));
    }
    for (const auto part : parts) gcry_md_write(hash.get(), part.data(), part.size());
    const unsigned char* digest = gcry_md_read(hash.get(), GCRY_MD_SHA512);
    Mpi scalar = from_le({digest, kHashBytes});
    gcry_mpi_mod(scalar.get(), scalar.get(), curve.order.get());
    return scalar;
}

Point multiply(const Curve& curve, gcry_mpi_t scalar, gcry_mpi_point_t point) {
    Point result(gcry_mpi_point_new(0));
    gcry_mpi_ec_mul(result.get(), scalar, point, curve.context.get());
    return result;
}

// The secret scalar a (clamped) and the nonce prefix, from SHA-512 of the seed.
struct Expanded {
    Mpi scalar;
    std::uint8_t prefix[32];
    std::uint8_t public_key[32];
};

void expand_seed(const Curve& curve, const Ed25519Seed& seed, Expanded& out) {
    std::uint8_t h[kHashBytes];
    gcry_md_hash_buffer(GCRY_MD_SHA512, h, seed.data(), seed.size());
    h[0] &= 248;
    h[31] &= 127;
    h[31] |= 64;
    out.scalar = from_le({h, 32});
    std::memcpy(out.prefix, h + 32, 32);
    const Point a = multiply(curve, out.scalar.get(), curve.base.get());
    encode_point(curve, a.get(), out.public_key);
    std::memset(h, 0, sizeof h);
}

}  // namespace

Status check_ed25519_public_key(std::span<const std::uint8_t, kEd25519KeyBytes> key) {
    if (!edwards25519::is_canonical(key)) return fail("public key is not canonical");
    if (!edwards25519::decodes(key)) return fail("public key is not a curve point");
    if (edwards25519::has_small_order(key)) return fail("public key has small order");
    return {};
}

Status verify_ed25519(std::span<const std::uint8_t, kEd25519KeyBytes> key, std::span<const std::uint8_t> message,
                      std::span<const std::uint8_t, kEd25519SignatureBytes> signature) {
    if (auto checked = check_ed25519_public_key(key); !checked) return checked;
    const auto r = signature.first<32>();
    const auto s = signature.last<32>();
    if (!edwards25519::is_reduced_scalar(s)) return fail("signature scalar is not below the group order");
    if (!edwards25519::is_canonical(r)) return fail("signature point is not canonical");
    if (!edwards25519::decodes(r)) return fail("signature point is not a curve point");
    if (edwards25519::has_small_order(r)) return fail("signature point has small order");

    Curve curve;
    if (auto opened = open_curve(curve); !opened) return opened;
    // Both encodings were checked above, so libgcrypt decodes them without surprises.
    Point a(gcry_mpi_point_new(0));
    Point big_r(gcry_mpi_point_new(0));
    Mpi a_bytes(gcry_mpi_set_opaque_copy(nullptr, key.data(), 256));
    Mpi r_bytes(gcry_mpi_set_opaque_copy(nullptr, r.data(), 256));
    gcry_error_t code = gcry_mpi_ec_decode_point(a.get(), a_bytes.get(), curve.context.get());
    if (code == 0) code = gcry_mpi_ec_decode_point(big_r.get(), r_bytes.get(), curve.context.get());
    if (code != 0) return fail(gcrypt_error(code));

    // [S]B = R + [k]A with k = SHA-512(R || A || M) mod n.
    const auto k = hash_to_scalar(curve, {r, key, message});
    if (!k) return std::unexpected(k.error());
    const Mpi s_value = from_le(s);
    const Point left = multiply(curve, s_value.get(), curve.base.get());
    const Point ka = multiply(curve, k->get(), a.get());
    Point right(gcry_mpi_point_new(0));
    gcry_mpi_ec_add(right.get(), big_r.get(), ka.get(), curve.context.get());

    std::uint8_t left_bytes[32];
    std::uint8_t right_bytes[32];
    encode_point(curve, left.get(), left_bytes);
    encode_point(curve, right.get(), right_bytes);
    if (std::memcmp(left_bytes, right_bytes, 32) != 0) return fail(gcrypt_error(GPG_ERR_BAD_SIGNATURE));
    return {};
}

Result<Ed25519PublicKey> ed25519_public_key(const Ed25519Seed& seed) {
    Curve curve;
    if (auto opened = open_curve(curve); !opened) return std::unexpected(opened.error());
    Expanded expanded;
    expand_seed(curve, seed, expanded);
    Ed25519PublicKey key{};
    std::memcpy(key.data(), expanded.public_key, key.size());
    return key;
}

Result<Ed25519Signature> ed25519_sign(const Ed25519Seed& seed, std::span<const std::uint8_t> message) {
    Curve curve;
    if (auto opened = open_curve(curve); !opened) return std::unexpected(opened.error());
    Expanded expanded;
    expand_seed(curve, seed, expanded);

    Ed25519Signature signature{};
    // r = SHA-512(prefix || M) mod n, R = [r]B, S = (r + k a) mod n.
    const auto r = hash_to_scalar(curve, {expanded.prefix, message});
    if (!r) return std::unexpected(r.error());
    const Point big_r = multiply(curve, r->get(), curve.base.get());
    encode_point(curve, big_r.get(), signature.data());
    const auto k = hash_to_scalar(curve, {std::span(signature.data(), 32), expanded.public_key, message});
    if (!k) return std::unexpected(k.error());
    Mpi s(gcry_mpi_new(0));
    gcry_mpi_mulm(s.get(), k->get(), expanded.scalar.get(), curve.order.get());
    gcry_mpi_addm(s.get(), s.get(), r->get(), curve.order.get());
    to_le32(s.get(), signature.data() + 32);
    std::memset(expanded.prefix, 0, sizeof expanded.prefix);
    return signature;
}

Result<Ed25519Seed> ed25519_generate_seed() {
    if (auto ready = ensure_gcrypt(); !ready) return std::unexpected(ready.error());
    Ed25519Seed seed{};
    gcry_randomize(seed.data(), seed.size(), GCRY_VERY_STRONG_RANDOM);
    return seed;
}

}  // namespace core
