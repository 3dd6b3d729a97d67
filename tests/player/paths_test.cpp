#include "player/library/paths.h"

#include <gtest/gtest.h>

#include "core/settings/config.h"
#include "path_recorder.h"
#include "player/library/import.h"
#include "player/library/library.h"
#include "player/library/log_file.h"
#include "player/library/package_open.h"
#include "player/library/settings.h"
#include "player/win32/wide.h"
#include "test_folder.h"
#include "wallpaper_folders.h"

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

TEST(Paths, TheLongFormIsTheFullPathBehindTheLongPrefix) {
    EXPECT_EQ(player::long_path("C:\\a\\.\\b\\..\\c. ").value(), L"\\\\?\\C:\\a\\c");
    EXPECT_EQ(player::long_path("C:/a/b").value(), L"\\\\?\\C:\\a\\b");
    EXPECT_EQ(player::long_path("\\\\server\\share\\x").value(), L"\\\\?\\UNC\\server\\share\\x");
    EXPECT_EQ(player::long_path("\\\\?\\C:\\a\\.\\b.").value(), L"\\\\?\\C:\\a\\.\\b.");
}

// Windows holds plain paths to 260 characters; Wine does not, so there the paths handed
// to the system are what is checked: every one in the long form, on every road that
// writes data (installation with its checks, removal of a tree, the package store,
// settings, the log).
TEST(Paths, EveryFileSystemCallOnDataTakesTheLongForm) {
    test::TestFolder scratch;
    const std::string data = scratch / std::string(120, 'd');
    test::make_folder(data);
    test::make_folder(player::join_path(data, "packages"));
    const std::string asset = std::string(100, 'a') + "/" + std::string(96, 'b') + ".js";
    test::write_wallpaper(scratch / "tide", "tide", {{asset, "x"}});
    const core::WallpaperItem item = player::load_wallpaper_folder(scratch / "tide").value();
    const std::string package = scratch / "tide.wallpkg";
    test::write_file(package, "package bytes");
    const core::Bytes bytes{'p'};
    test::write_tree_file(data, "left/over/" + asset, "x");

    core::Result<std::string> installed = core::fail("not run");
    core::Result<std::string> stored = core::fail("not run");
    core::Status saved;
    core::Result<win32::unique_file> log = core::fail("not run");
    {
        const test::PathRecorder recorder;
        player::WindowsDirectoryReader reader;
        installed = player::install_into_library(player::join_path(data, "library"), item, reader,
                                                 player::staging_names_for_now().value());
        player::remove_tree_safely(player::join_path(data, "left"));
        stored = player::store_package_copy(player::join_path(data, "packages"), std::string(64, 'e'), bytes, package);
        saved = player::write_settings_file(data, core::Config{.selected_id = "tide"});
        player::rotate_log_if_oversized(data);
        log = player::open_log_file(data);
        ASSERT_GT(recorder.paths().size(), 20u);
        for (const std::wstring& path : recorder.paths()) {
            EXPECT_TRUE(path.starts_with(L"\\\\?\\")) << win32::to_utf8(path).value_or("?");
        }
    }
    ASSERT_TRUE(installed) << installed.error().chain();
    EXPECT_GT(player::join_path(*installed, asset).size(), 260u);
    EXPECT_EQ(test::read_file(player::join_path(*installed, asset)), "x");
    EXPECT_FALSE(test::exists(player::join_path(data, "left")));
    EXPECT_EQ(stored.value(), player::join_path(player::join_path(data, "packages"), std::string(64, 'e') + ".wallpkg"));
    EXPECT_TRUE(saved);
    EXPECT_TRUE(log);
}

}  // namespace
