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

TEST(Paths, OnlyDriveRootedAndDoubleSeparatorPathsAreAbsolute) {
    EXPECT_TRUE(player::is_absolute_path("C:\\lib\\a"));
    EXPECT_TRUE(player::is_absolute_path("C:/lib"));
    EXPECT_TRUE(player::is_absolute_path("\\\\server\\share\\a"));
    EXPECT_TRUE(player::is_absolute_path("\\\\?\\C:\\a"));
    EXPECT_FALSE(player::is_absolute_path("C:lib"));
    EXPECT_FALSE(player::is_absolute_path("\\lib"));
    EXPECT_FALSE(player::is_absolute_path("lib\\a"));
    EXPECT_FALSE(player::is_absolute_path(""));
}

TEST(Paths, SamePathComparesComponents) {
    EXPECT_TRUE(player::same_path("C:\\D\\library\\a", "C:\\D\\library\\a"));
    EXPECT_TRUE(player::same_path("C:\\D\\library\\a", "C:/D//library\\.\\a\\"));
    EXPECT_TRUE(player::same_path("\\\\server\\share\\a", "//server/share/a"));
    EXPECT_FALSE(player::same_path("C:\\D\\library\\a", "C:\\D\\library\\A"));
    EXPECT_FALSE(player::same_path("C:\\D\\library\\a", "C:\\D\\library\\a\\b"));
    EXPECT_FALSE(player::same_path("C:\\D\\library\\a", "C:\\D\\other\\..\\library\\a"));
    EXPECT_FALSE(player::same_path("C:\\D\\library\\a", "D:\\D\\library\\a"));
    EXPECT_FALSE(player::same_path("C:\\D\\library\\a", "C:D\\library\\a"));
}

}  // namespace
