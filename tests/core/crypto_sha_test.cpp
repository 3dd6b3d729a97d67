#include <gtest/gtest.h>

#include <string>

#include "core/crypto/sha.h"
#include "core/text/hex.h"

namespace {

std::span<const std::uint8_t> as_bytes(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

TEST(Sha, KnownDigestsOfAbcAndTheEmptyText) {
    EXPECT_EQ(core::sha256_hex(as_bytes("abc")), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(core::sha256_hex(as_bytes("")), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(core::hex_encode(core::sha512(as_bytes("abc"))),
              "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a"
              "2192992a274fc1a836ba3c23a3feebbd454d4423643ce80e2a9ac94fa54ca49f");
}

TEST(Sha, LongInputCrossesBlockBoundaries) {
    // One million "a" (FIPS 180-4 example).
    const std::string million(1'000'000, 'a');
    EXPECT_EQ(core::sha256_hex(as_bytes(million)), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

}  // namespace
