#include <gtest/gtest.h>

#include <string>

#include "core/codec/base64.h"

namespace {

core::Bytes bytes(std::string_view text) { return core::Bytes(text.begin(), text.end()); }

std::string decode_error(std::string_view text) {
    const auto decoded = core::base64_decode(text);
    return decoded ? std::string("ok") : decoded.error().chain();
}

TEST(Base64, RfcExamplesRoundTrip) {
    // RFC 4648, section 10.
    const std::pair<std::string_view, std::string_view> examples[] = {
        {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
    };
    for (const auto& [plain, encoded] : examples) {
        EXPECT_EQ(core::base64_encode(bytes(plain)), encoded);
        const auto decoded = core::base64_decode(encoded);
        ASSERT_TRUE(decoded) << encoded;
        EXPECT_EQ(*decoded, bytes(plain));
    }
}

TEST(Base64, EveryByteValueAndBothAlphabetEndsRoundTrip) {
    core::Bytes all(256 * 3 + 1);
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
    const std::string text = core::base64_encode(all);
    EXPECT_NE(text.find('+'), std::string::npos);
    EXPECT_NE(text.find('/'), std::string::npos);
    EXPECT_EQ(core::base64_decode(text).value(), all);
    EXPECT_EQ(core::base64_decode("+/+/").value(), (core::Bytes{0xfb, 0xff, 0xbf}));
}

TEST(Base64, MissingPaddingAndBadLengthsAreRefused) {
    EXPECT_EQ(decode_error("Zg"), "invalid base64 length");
    EXPECT_EQ(decode_error("Zm8"), "invalid base64 length");
    EXPECT_EQ(decode_error("Zm9vY"), "invalid base64 length");
    EXPECT_EQ(decode_error("Z==="), "invalid base64 padding");
    EXPECT_EQ(decode_error("===="), "invalid base64 padding");
    EXPECT_EQ(decode_error("Zg=a"), "invalid base64 character");
    EXPECT_EQ(decode_error("Zg==Zg=="), "invalid base64 character");  // padding inside
}

TEST(Base64, CharactersOutsideTheAlphabetAreRefused) {
    EXPECT_EQ(decode_error("Zm9v\nYmFy"), "invalid base64 length");
    EXPECT_EQ(decode_error("Zm9v\nYmF"), "invalid base64 character");  // a line break in a group
    EXPECT_EQ(decode_error("Zm9vYmF\n"), "invalid base64 character");
    EXPECT_EQ(decode_error("Zm 9"), "invalid base64 character");
    EXPECT_EQ(decode_error("Zm-_"), "invalid base64 character");  // URL alphabet
    EXPECT_EQ(decode_error(std::string_view("Zm\0v", 4)), "invalid base64 character");
    EXPECT_EQ(decode_error("Zm9\xC3"), "invalid base64 character");
}

TEST(Base64, NonZeroUnusedTrailingBitsAreRefused) {
    // "Zg==" is the only encoding of "f"; "Zh==" .. "Zv==" carry stray bits.
    EXPECT_EQ(decode_error("Zh=="), "non-zero base64 trailing bits");
    EXPECT_EQ(decode_error("Zm9="), "non-zero base64 trailing bits");
    EXPECT_EQ(decode_error("Zm8="), "ok");
}

TEST(Base64, DecodedSizeSizesTheOutputExactly) {
    EXPECT_EQ(core::base64_decoded_size("Zm9vYmE=").value(), 5u);
    EXPECT_EQ(core::base64_decoded_size("Zm9vYg==").value(), 4u);
    EXPECT_EQ(core::base64_decoded_size("").value(), 0u);
    std::uint8_t out[4];
    EXPECT_EQ(core::base64_decode_into("Zm9vYg==", std::span(out, 3)).error().message(), "base64 output size mismatch");
    ASSERT_TRUE(core::base64_decode_into("Zm9vYg==", out));
    EXPECT_EQ(std::string(out, out + 4), "foob");
}

}  // namespace
