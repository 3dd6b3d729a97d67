#include <gtest/gtest.h>

#include "core/text/hex.h"
#include "core/text/utf.h"

namespace {

TEST(Utf8Validation, AcceptsWellFormedAndRefusesEveryIllFormedKind) {
    EXPECT_TRUE(core::is_valid_utf8(""));
    EXPECT_TRUE(core::is_valid_utf8("plain ascii \x7F"));
    EXPECT_TRUE(core::is_valid_utf8("Stra\xC3\x9F" "e \xE4\xBA\x92 \xF0\x9F\x98\x80"));
    EXPECT_TRUE(core::is_valid_utf8("\xF4\x8F\xBF\xBF"));  // U+10FFFF

    EXPECT_FALSE(core::is_valid_utf8("\x80"));              // lone continuation
    EXPECT_FALSE(core::is_valid_utf8("\xC0\xAF"));          // overlong "/"
    EXPECT_FALSE(core::is_valid_utf8("\xE0\x80\xAF"));      // overlong, three bytes
    EXPECT_FALSE(core::is_valid_utf8("\xED\xA0\x80"));      // surrogate U+D800
    EXPECT_FALSE(core::is_valid_utf8("\xF4\x90\x80\x80"));  // above U+10FFFF
    EXPECT_FALSE(core::is_valid_utf8("\xE4\xBA"));          // truncated at the end
    EXPECT_FALSE(core::is_valid_utf8("\xE4" "a" "\x92"));   // broken continuation
    EXPECT_FALSE(core::is_valid_utf8("\xFF"));
}

TEST(UtfConversion, RoundTripsAllPlanes) {
    const std::string text = "a\xC3\xA9\xE4\xBA\x92\xF0\x9F\x98\x80z";
    const auto wide = core::utf8_to_utf16(text);
    ASSERT_TRUE(wide);
    EXPECT_EQ(*wide, (std::u16string{u'a', 0x00E9, 0x4E92, 0xD83D, 0xDE00, u'z'}));
    const auto back = core::utf16_to_utf8(*wide);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, text);
}

TEST(UtfConversion, RefusesIllFormedInputInsteadOfReplacingIt) {
    EXPECT_FALSE(core::utf8_to_utf16("\xC0\xAF"));
    EXPECT_FALSE(core::utf16_to_utf8(std::u16string{u'a', char16_t(0xD800)}));       // unpaired high
    EXPECT_FALSE(core::utf16_to_utf8(std::u16string{char16_t(0xDC00), u'a'}));       // lone low
    EXPECT_FALSE(core::utf16_to_utf8(std::u16string{char16_t(0xD800), char16_t(0xD800)}));
}

TEST(Hex, EncodesLowercaseAndDecodesEitherCase) {
    const std::vector<std::uint8_t> bytes{0x00, 0x1a, 0xff, 0x9C};
    EXPECT_EQ(core::hex_encode(bytes), "001aff9c");
    EXPECT_EQ(core::hex_decode("001AfF9c").value(), bytes);
    EXPECT_EQ(core::hex_decode("abc").error().message(), "odd number of hexadecimal digits");
    EXPECT_EQ(core::hex_decode("0g").error().message(), "invalid hexadecimal digit");
}

TEST(Hex, NumbersAreUnpaddedWithPrefix) {
    EXPECT_EQ(core::hex_number(0), "0x0");
    EXPECT_EQ(core::hex_number(0x80070002u), "0x80070002");
    EXPECT_EQ(core::hex_number(0x1A2B), "0x1a2b");
}

}  // namespace
