#include "core/crypto/ed25519.h"

#include <cstring>
#include <string>

#include <gcrypt.h>

#include "core/crypto/edwards25519.h"
#include "core/crypto/gcrypt_library.h"

namespace core {
namespace {

// Owners of libgcrypt's handles.
class Sexp {
public:
    Sexp() = default;
    Sexp(const Sexp&) = delete;
    Sexp& operator=(const Sexp&) = delete;
    ~Sexp() { gcry_sexp_release(value_); }
    gcry_sexp_t* put() {
        gcry_sexp_release(value_);
        value_ = nullptr;
        return &value_;
    }
    gcry_sexp_t get() const { return value_; }

private:
    gcry_sexp_t value_ = nullptr;
};

class EcContext {
public:
    EcContext() = default;
    EcContext(const EcContext&) = delete;
    EcContext& operator=(const EcContext&) = delete;
    ~EcContext() { gcry_ctx_release(value_); }
    gcry_ctx_t* put() { return &value_; }
    gcry_ctx_t get() const { return value_; }

private:
    gcry_ctx_t value_ = nullptr;
};

class Mpi {
public:
    explicit Mpi(gcry_mpi_t value) : value_(value) {}
    Mpi(const Mpi&) = delete;
    Mpi& operator=(const Mpi&) = delete;
    ~Mpi() { gcry_mpi_release(value_); }
    gcry_mpi_t get() const { return value_; }

private:
    gcry_mpi_t value_;
};

// libgcrypt takes buffer lengths as int.
constexpr std::size_t kMaxSignedMessageBytes = 0x7fffffff;

Error gcrypt_error(gcry_error_t code) { return Error(gcry_strerror(code)); }

// The first data item of the named sub-list, which must be exactly size bytes.
Status copy_token(gcry_sexp_t list, const char* name, std::uint8_t* out, std::size_t size) {
    Sexp token;
    *token.put() = gcry_sexp_find_token(list, name, 0);
    if (token.get() == nullptr) return fail(std::string("libgcrypt result lacks ") + name);
    std::size_t length = 0;
    const char* data = gcry_sexp_nth_data(token.get(), 1, &length);
    if (data == nullptr || length != size) return fail(std::string("libgcrypt result has a malformed ") + name);
    std::memcpy(out, data, size);
    return {};
}

Status private_key(const Ed25519Seed& seed, Sexp& key) {
    const gcry_error_t code = gcry_sexp_build(key.put(), nullptr, "(private-key (ecc (curve Ed25519) (flags eddsa) (d %b)))",
                                              static_cast<int>(seed.size()), seed.data());
    if (code != 0) return fail(gcrypt_error(code));
    return {};
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
    if (message.size() > kMaxSignedMessageBytes) return fail("message too long to verify");
    const auto r = signature.first<32>();
    const auto s = signature.last<32>();
    if (!edwards25519::is_reduced_scalar(s)) return fail("signature scalar is not below the group order");
    if (!edwards25519::is_canonical(r)) return fail("signature point is not canonical");
    if (!edwards25519::decodes(r)) return fail("signature point is not a curve point");
    if (edwards25519::has_small_order(r)) return fail("signature point has small order");

    if (auto ready = ensure_gcrypt(); !ready) return ready;
    Sexp public_key;
    Sexp data;
    Sexp sig;
    gcry_error_t code = gcry_sexp_build(public_key.put(), nullptr, "(public-key (ecc (curve Ed25519) (flags eddsa) (q %b)))",
                                        static_cast<int>(key.size()), key.data());
    if (code == 0) {
        code = gcry_sexp_build(data.put(), nullptr, "(data (flags eddsa) (hash-algo sha512) (value %b))",
                               static_cast<int>(message.size()), message.data());
    }
    if (code == 0) {
        code = gcry_sexp_build(sig.put(), nullptr, "(sig-val (eddsa (r %b) (s %b)))", static_cast<int>(r.size()),
                               r.data(), static_cast<int>(s.size()), s.data());
    }
    if (code == 0) code = gcry_pk_verify(sig.get(), data.get(), public_key.get());
    if (code != 0) return fail(gcrypt_error(code));
    return {};
}

Result<Ed25519PublicKey> ed25519_public_key(const Ed25519Seed& seed) {
    if (auto ready = ensure_gcrypt(); !ready) return std::unexpected(ready.error());
    Sexp key;
    if (auto built = private_key(seed, key); !built) return std::unexpected(built.error());
    EcContext context;
    if (const gcry_error_t code = gcry_mpi_ec_new(context.put(), key.get(), nullptr); code != 0) {
        return fail(gcrypt_error(code));
    }
    // "q@eddsa" asks libgcrypt to derive the point from d and encode it as RFC 8032 does.
    const Mpi q(gcry_mpi_ec_get_mpi("q@eddsa", context.get(), 1));
    if (q.get() == nullptr) return fail("cannot derive the public key");
    unsigned int bits = 0;
    const void* bytes = gcry_mpi_get_opaque(q.get(), &bits);
    Ed25519PublicKey out{};
    if (bytes == nullptr || bits != out.size() * 8) return fail("cannot derive the public key");
    std::memcpy(out.data(), bytes, out.size());
    return out;
}

Result<Ed25519Signature> ed25519_sign(const Ed25519Seed& seed, std::span<const std::uint8_t> message) {
    if (auto ready = ensure_gcrypt(); !ready) return std::unexpected(ready.error());
    if (message.size() > kMaxSignedMessageBytes) return fail("message too long to sign");
    Sexp key;
    if (auto built = private_key(seed, key); !built) return std::unexpected(built.error());
    Sexp data;
    gcry_error_t code = gcry_sexp_build(data.put(), nullptr, "(data (flags eddsa) (hash-algo sha512) (value %b))",
                                        static_cast<int>(message.size()), message.data());
    Sexp result;
    if (code == 0) code = gcry_pk_sign(result.put(), data.get(), key.get());
    if (code != 0) return fail(gcrypt_error(code));
    Ed25519Signature signature{};
    if (auto r = copy_token(result.get(), "r", signature.data(), 32); !r) return std::unexpected(r.error());
    if (auto s = copy_token(result.get(), "s", signature.data() + 32, 32); !s) return std::unexpected(s.error());
    return signature;
}

Result<Ed25519Seed> ed25519_generate_seed() {
    if (auto ready = ensure_gcrypt(); !ready) return std::unexpected(ready.error());
    Ed25519Seed seed{};
    gcry_randomize(seed.data(), seed.size(), GCRY_VERY_STRONG_RANDOM);
    return seed;
}

}  // namespace core
