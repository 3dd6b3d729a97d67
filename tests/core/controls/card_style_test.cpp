#include "core/controls/card_style.h"

#include <gtest/gtest.h>

#include "core/controls/status_tone.h"

namespace {

using core::ColorRef;
using core::hex_color;

constexpr ColorRef kWarm = hex_color(0xE3A256);
constexpr ColorRef kMoon = hex_color(0x9FB3D9);
constexpr ColorRef kYuzu = hex_color(0xE9BF4C);
constexpr ColorRef kHashed[] = {hex_color(0xD98A6A), hex_color(0x9DBB8A), hex_color(0x8FB0B3), hex_color(0xB39AD0)};

TEST(CardColour, TheLastDottedPartNamesATheme) {
    EXPECT_EQ(core::card_colour("studio.warm"), kWarm);
    EXPECT_EQ(core::card_colour("studio.warmth"), kWarm);
    EXPECT_EQ(core::card_colour("warmlight"), kWarm);
    EXPECT_EQ(core::card_colour("a.b.moon-river"), kMoon);
    EXPECT_EQ(core::card_colour("yuzu"), kYuzu);
    EXPECT_EQ(core::card_colour("moon.yuzu_2"), kYuzu);
}

TEST(CardColour, OtherIdsTakeTheirFnv1aHashModuloFour) {
    EXPECT_EQ(core::fnv1a_32(""), 0x811C9DC5u);
    // Published FNV-1a vectors.
    EXPECT_EQ(core::fnv1a_32("a"), 0xE40C292Cu);
    EXPECT_EQ(core::fnv1a_32("foobar"), 0xBF9CF968u);

    EXPECT_EQ(core::card_colour("a"), kHashed[0]);
    EXPECT_EQ(core::card_colour("b"), kHashed[1]);
    EXPECT_EQ(core::card_colour("c"), kHashed[2]);
    EXPECT_EQ(core::card_colour("d"), kHashed[3]);
    // Three bytes are too short for a theme: "war" hashes to 0x17E2C385.
    EXPECT_EQ(core::card_colour("war"), kHashed[1]);
    // The hash covers the whole id, not the last part: "com.example.war" hashes to
    // 0xE44255AA, "a.war" to 0x68E9A55C.
    EXPECT_EQ(core::card_colour("com.example.war"), kHashed[2]);
    EXPECT_EQ(core::card_colour("a.war"), kHashed[0]);
    // Only the last part counts, and bytes compare exactly.
    EXPECT_EQ(core::card_colour("warm.lake"), kHashed[1]);
    EXPECT_EQ(core::card_colour("Warm"), kHashed[0]);
    EXPECT_EQ(core::card_colour("rain"), kHashed[3]);
    EXPECT_EQ(core::card_colour("trailing."), kHashed[1]);
    EXPECT_EQ(core::card_colour(""), kHashed[1]);
}

TEST(CardColour, TheTileMixesTheCardColourHalfAndHalfRoundingHalvesUp) {
    const core::TileColours tile = core::tile_colours("lake.warm");
    EXPECT_EQ(tile.fill, hex_color(0xF1D0A8));
    EXPECT_EQ(tile.text, hex_color(0x8F663C));
}

TEST(TileInitial, IsTheFirstCharacterFullyUpperCased) {
    EXPECT_EQ(core::tile_initial("ß"), "SS");
    EXPECT_EQ(core::tile_initial("éclair"), "É");
    EXPECT_EQ(core::tile_initial("aurora"), "A");
    EXPECT_EQ(core::tile_initial("Tide"), "T");
    EXPECT_EQ(core::tile_initial("ŉa"), "ʼN");
    EXPECT_EQ(core::tile_initial("晨光"), "晨");
    EXPECT_EQ(core::tile_initial("😀 smile"), "😀");
    EXPECT_EQ(core::tile_initial("7 days"), "7");
}

TEST(TileInitial, IsEmptyForAnEmptyOrIllFormedName) {
    EXPECT_EQ(core::tile_initial(""), "");
    EXPECT_EQ(core::tile_initial("\xFF" "abc"), "");
    EXPECT_EQ(core::tile_initial("\xC3"), "");
    EXPECT_EQ(core::tile_initial("\xED\xA0\x80"), "");
}

TEST(StatusTone, EachToneHasItsTextAccentAndFillColours) {
    using core::StatusTone;
    using core::ToneColours;
    EXPECT_EQ(core::status_tone_colours(StatusTone::desktop),
              (ToneColours{hex_color(0x3D6B48), hex_color(0x5F9A6B), hex_color(0xE7F0E4)}));
    EXPECT_EQ(core::status_tone_colours(StatusTone::paused),
              (ToneColours{hex_color(0xA6581D), hex_color(0xE3A256), hex_color(0xF8E5C9)}));
    EXPECT_EQ(core::status_tone_colours(StatusTone::preview),
              (ToneColours{hex_color(0x4A5F8A), hex_color(0x7D93C0), hex_color(0xE6EBF5)}));
    EXPECT_EQ(core::status_tone_colours(StatusTone::opening),
              (ToneColours{hex_color(0x7A675A), hex_color(0xB39A83), hex_color(0xF4EADB)}));
    EXPECT_EQ(core::status_tone_colours(StatusTone::problem),
              (ToneColours{hex_color(0xA9412F), hex_color(0xD9604A), hex_color(0xFBE3DD)}));
    EXPECT_EQ(core::status_tone_colours(StatusTone::empty),
              (ToneColours{hex_color(0x7A675A), hex_color(0xC9B49C), hex_color(0xF4EADB)}));
    EXPECT_EQ(core::status_tone_colours(static_cast<StatusTone>(9)),
              core::status_tone_colours(StatusTone::opening));
}

}  // namespace
