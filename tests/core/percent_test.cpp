#include "core/text/percent.h"

#include <gtest/gtest.h>

namespace {

TEST(PercentDecode, EscapesBecomeBytesAndStrayPercentSignsStay) {
    EXPECT_EQ(core::percent_decode("a%20b"), "a b");
    EXPECT_EQ(core::percent_decode("%2f%2F"), "//");
    EXPECT_EQ(core::percent_decode("%E5%A3%81"), "\xE5\xA3\x81");
    EXPECT_EQ(core::percent_decode("%00"), std::string(1, '\0'));
    EXPECT_EQ(core::percent_decode("%FF"), "\xFF");
    EXPECT_EQ(core::percent_decode("100%"), "100%");
    EXPECT_EQ(core::percent_decode("%4"), "%4");
    EXPECT_EQ(core::percent_decode("%g1%1g"), "%g1%1g");
    EXPECT_EQ(core::percent_decode("%%41"), "%A");
    EXPECT_EQ(core::percent_decode("%2541"), "%41");
    EXPECT_EQ(core::percent_decode("a+b"), "a+b");
    EXPECT_EQ(core::percent_decode(""), "");
}

}  // namespace
