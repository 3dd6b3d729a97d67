#include "core/content/asset_path.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string message_for(std::string_view path) {
    const auto result = core::validate_asset_path(path);
    return result ? "ok" : result.error().message();
}

TEST(AssetPath, LengthIsCountedInBytes) {
    EXPECT_EQ(message_for(std::string(240, 'a')), "ok");
    EXPECT_EQ(message_for(std::string(241, 'a')), "invalid asset path");
    EXPECT_EQ(message_for(""), "invalid asset path");
    // 80 three-byte characters are 240 bytes; one more is over.
    std::string wide;
    for (int i = 0; i < 80; ++i) wide += "\xE4\xBA\x92";
    EXPECT_EQ(message_for(wide), "ok");
    EXPECT_EQ(message_for(wide + "a"), "invalid asset path");
}

TEST(AssetPath, ForbiddenAndControlCharactersAreInvalid) {
    for (const char* path : {"a\\b", "a:b", "100%", "a#b", "a?b", "a\tb", "a\"b", "a*b", "a<b",
                             "a>b", "a|b", "a\nb"}) {
        EXPECT_EQ(message_for(path), "invalid asset path") << path;
    }
    EXPECT_EQ(message_for("del\x7F.png"), "ok");
}

TEST(AssetPath, EmptyDotAndTrailingSpaceSegmentsAreUnsafe) {
    for (const char* path : {"/a", "a/", "a//b", "a/./b", "a/../b", "..", ".", "dir./x", "a /b",
                             "a/b "}) {
        EXPECT_EQ(message_for(path), "unsafe asset path") << path;
    }
    EXPECT_EQ(message_for(" lead/.well-known/x"), "ok");
}

TEST(AssetPath, ReservedDeviceNamesInAnySegment) {
    for (const char* path : {"con", "Con.txt", "nul.tar.gz", "aux .png", "LPT9", "com\xC2\xB9.js",
                             "lpt\xC2\xB2", "COM\xC2\xB3", "a/b/prn.html", "conin$", "CONOUT$.x"}) {
        EXPECT_EQ(message_for(path), "reserved Windows asset path") << path;
    }
    for (const char* path : {"COM0", "console.log", "conin.txt", "x/CON10", "LPT0.txt", "co",
                             "com\xC2\xB4", "nu l"}) {
        EXPECT_EQ(message_for(path), "ok") << path;
    }
}

TEST(AssetPath, FirstFailingSegmentDecides) {
    EXPECT_EQ(message_for("con/a."), "reserved Windows asset path");
    EXPECT_EQ(message_for("a./con"), "unsafe asset path");
}

}  // namespace
