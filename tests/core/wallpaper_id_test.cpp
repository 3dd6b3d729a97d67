#include "core/content/wallpaper_id.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string library_id_message(std::string_view id) {
    const auto result = core::validate_library_id(id);
    return result ? "ok" : result.error().message();
}

TEST(WallpaperId, ProductIdRuleCountsBytesOfAllowedAscii) {
    EXPECT_TRUE(core::is_valid_product_id(std::string(100, 'x')));
    EXPECT_FALSE(core::is_valid_product_id(std::string(101, 'x')));
    EXPECT_FALSE(core::is_valid_product_id(""));
    EXPECT_TRUE(core::is_valid_product_id("Aurora-2.final_v1"));
    EXPECT_TRUE(core::is_valid_product_id("."));
    for (const char* id : {"a b", "a/b", "a+b", "caf\xC3\xA9"}) {
        EXPECT_FALSE(core::is_valid_product_id(id)) << id;
    }
}

TEST(WallpaperId, LibraryRuleAddsNoLeadingDotAndNoDeviceName) {
    EXPECT_EQ(library_id_message("aurora"), "ok");
    EXPECT_EQ(library_id_message("COM0"), "ok");
    EXPECT_EQ(library_id_message("."), "invalid wallpaper ID");
    EXPECT_EQ(library_id_message(".hidden"), "invalid wallpaper ID");
    EXPECT_EQ(library_id_message(""), "invalid wallpaper ID");
    EXPECT_EQ(library_id_message("CON"), "reserved Windows asset path");
    EXPECT_EQ(library_id_message("nul.txt"), "reserved Windows asset path");
    EXPECT_EQ(library_id_message("Com1"), "reserved Windows asset path");
    EXPECT_EQ(library_id_message("LPT9.json"), "reserved Windows asset path");
    EXPECT_EQ(library_id_message("aurora."), "unsafe asset path");
}

}  // namespace
