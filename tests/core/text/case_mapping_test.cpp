#include "core/text/case_mapping.h"

#include <gtest/gtest.h>

namespace {

std::u32string lower(char32_t c) { return std::u32string(core::full_lowercase(c).view()); }
std::u32string upper(char32_t c) { return std::u32string(core::full_uppercase(c).view()); }

TEST(CaseMapping, SimpleMappingsOfSeveralScripts) {
    EXPECT_EQ(lower(U'A'), U"a");
    EXPECT_EQ(upper(U'z'), U"Z");
    EXPECT_EQ(lower(U'\u00C9'), U"\u00E9");
    EXPECT_EQ(lower(U'\u03A3'), U"\u03C3");  // no final-sigma context rule
    EXPECT_EQ(upper(U'\u03C2'), U"\u03A3");
    EXPECT_EQ(lower(U'\u0410'), U"\u0430");
    EXPECT_EQ(lower(U'\u212A'), U"k");  // Kelvin sign
    EXPECT_EQ(lower(U'\U00010400'), U"\U00010428");  // Deseret, outside the first plane
    EXPECT_EQ(upper(U'\U0001E922'), U"\U0001E900");  // Adlam
}

TEST(CaseMapping, OneToManyMappings) {
    EXPECT_EQ(upper(U'\u00DF'), U"SS");
    EXPECT_EQ(lower(U'\u00DF'), U"\u00DF");
    EXPECT_EQ(lower(U'\u0130'), U"i\u0307");
    EXPECT_EQ(upper(U'\uFB03'), U"FFI");
    EXPECT_EQ(upper(U'\u0390'), U"\u0399\u0308\u0301");
    EXPECT_EQ(upper(U'\u0149'), U"\u02BCN");
}

TEST(CaseMapping, UncasedCodePointsAndNonCodePointsMapToThemselves) {
    for (const char32_t c : {U'1', U'/', U'\u4E2D', U'\U0001F600', char32_t{0x10FFFF}, char32_t{0x110000},
                             char32_t{0xFFFFFFFF}}) {
        EXPECT_EQ(lower(c), std::u32string(1, c));
        EXPECT_EQ(upper(c), std::u32string(1, c));
    }
}

TEST(CaseMapping, CollisionKeyLowerCasesThenUpperCases) {
    EXPECT_EQ(core::case_collision_key("Stra\xC3\x9F" "e.png"), "STRASSE.PNG");
    EXPECT_EQ(core::case_collision_key("\xC4\xB0"), "I\xCC\x87");  // U+0130 -> i U+0307 -> I U+0307
    EXPECT_EQ(core::case_collision_key("\xCF\x82"), "\xCE\xA3");
    EXPECT_EQ(core::case_collision_key(""), "");
    // Bytes that are not UTF-8 stay as they are.
    EXPECT_EQ(core::case_collision_key("a\xFF" "b\xC3"), "A\xFF" "B\xC3");
}

}  // namespace
