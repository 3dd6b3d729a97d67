#include "player/library/paths.h"

#include <gtest/gtest.h>

namespace {

TEST(Paths, ParentStopsAtEveryKindOfRoot) {
    EXPECT_EQ(player::parent_path("C:\\Users\\u\\AppData"), "C:\\Users\\u");
    EXPECT_EQ(player::parent_path("C:\\Users"), "C:\\");
    EXPECT_EQ(player::parent_path("C:\\Users\\"), "C:\\");
    EXPECT_EQ(player::parent_path("C:\\"), std::nullopt);
    EXPECT_EQ(player::parent_path("\\\\server\\share\\dir"), "\\\\server\\share\\");
    EXPECT_EQ(player::parent_path("\\\\server\\share\\"), std::nullopt);
    EXPECT_EQ(player::parent_path("\\\\?\\C:\\a\\b"), "\\\\?\\C:\\a");
    EXPECT_EQ(player::parent_path("\\\\?\\C:\\a"), "\\\\?\\C:\\");
    EXPECT_EQ(player::parent_path("\\\\?\\C:\\"), std::nullopt);
    EXPECT_EQ(player::parent_path("\\\\?\\UNC\\server\\share\\x"), "\\\\?\\UNC\\server\\share\\");
    EXPECT_EQ(player::parent_path("tessary.exe"), std::nullopt);
}

TEST(Paths, JoinAddsOneSeparator) {
    EXPECT_EQ(player::join_path("C:\\a", "b"), "C:\\a\\b");
    EXPECT_EQ(player::join_path("C:\\", "b"), "C:\\b");
}

TEST(Paths, FullPathResolvesDotsAgainstTheCurrentDirectory) {
    EXPECT_EQ(player::full_path("C:\\a\\..\\b\\.\\c").value(), "C:\\b\\c");
}

}  // namespace
