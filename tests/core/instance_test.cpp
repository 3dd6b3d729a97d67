#include "core/startup/instance.h"

#include <gtest/gtest.h>

namespace {

constexpr std::string_view kKey = "1a49b6f97213fe35d297c799c19acc12f17fb135172920ce49c98d5787c94b5b";

TEST(Instance, NameIsTheFirstTwelveHexDigitsOfTheKey) {
    const auto key = core::parse_publisher_key(kKey);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->bytes[0], 0x1a);
    EXPECT_EQ(key->bytes[31], 0x5b);
    EXPECT_EQ(core::instance_name(*key), "Tessary-1a49b6f97213");
    // Uppercase digits decode to the same key, and the name is always lowercase.
    std::string upper(kKey);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(core::instance_name(core::parse_publisher_key(upper).value()), "Tessary-1a49b6f97213");
}

TEST(Instance, MalformedKeysAreRefused) {
    EXPECT_FALSE(core::parse_publisher_key(kKey.substr(0, 62)));
    EXPECT_FALSE(core::parse_publisher_key(std::string(kKey) + "00"));
    std::string bad(kKey);
    bad[10] = 'x';
    EXPECT_FALSE(core::parse_publisher_key(bad));
}

TEST(Instance, KeysThatAreNoUsableCurvePointAreRefused) {
    const auto error_of = [](std::string_view hex) { return core::parse_publisher_key(hex).error().chain(); };
    EXPECT_EQ(error_of("0100000000000000000000000000000000000000000000000000000000000000"),
              "invalid publisher key: public key has small order");
    EXPECT_EQ(error_of("edffffffffffffffffffffffffffffffffffffffffffffffffffffffffffff7f"),
              "invalid publisher key: public key is not canonical");
    EXPECT_EQ(error_of("0200000000000000000000000000000000000000000000000000000000000000"),
              "invalid publisher key: public key is not a curve point");
}

TEST(Instance, ThePreviewBuildHasANameOfItsOwn) {
    EXPECT_EQ(core::preview_instance_name(core::parse_publisher_key(kKey).value()), "Tessary-1a49b6f97213-preview");
}

TEST(Instance, StartupLineNamesVersionFlagsAndDataFolder) {
    EXPECT_EQ(core::startup_log_message({}, "C:\\Users\\u\\AppData\\Local\\Tessary-1a49b6f97213"),
              "startup version=0.6.5 local_preview=false offline_share=false "
              "data=C:\\Users\\u\\AppData\\Local\\Tessary-1a49b6f97213");
    EXPECT_EQ(core::startup_log_message({.local_preview = true, .offline_share = true}, "D"),
              "startup version=0.6.5 local_preview=true offline_share=true data=D");
}

}  // namespace
