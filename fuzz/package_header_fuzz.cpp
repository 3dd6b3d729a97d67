// read_package_header as the player calls it: size, magic, strict signature check
// (malformed R and S values reach the curve checks before libgcrypt), then the header.
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/crypto/ed25519.h"
#include "core/package/package_reader.h"

namespace {

const core::Ed25519PublicKey& fuzz_key() {
    static const core::Ed25519PublicKey key = [] {
        core::Ed25519Seed seed{};
        for (std::size_t i = 0; i < seed.size(); ++i) seed[i] = static_cast<std::uint8_t>(0x40 + i);
        return core::ed25519_public_key(seed).value();
    }();
    return key;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto header = core::read_package_header(std::span<const std::uint8_t>(data, size), fuzz_key());
    (void)header;
    return 0;
}
