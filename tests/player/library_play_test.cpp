#include "player/library/library_play.h"

#include <gtest/gtest.h>

#include "log_capture.h"
#include "player/library/paths.h"
#include "test_folder.h"
#include "wallpaper_folders.h"

namespace {

using test::TestFolder;

TEST(LibraryPlay, AVerifiedEntryLeavesTheRemovedListBecomesSelectedAndIsSavedAndLogged) {
    TestFolder data;
    const std::string folder = data / "library\\aurora";
    test::make_folder(data / "library");
    test::write_wallpaper(folder, "aurora");
    player::Config settings{.selected_id = "tide", .removed = {"aurora", "tide", "aurora"}, .fps = 60};

    const test::LogCapture log;
    const auto played = player::play_library_entry(data.path(), folder, settings);
    ASSERT_TRUE(played) << played.error().chain();
    EXPECT_EQ((*played)->manifest.id, "aurora");
    EXPECT_TRUE((*played)->assets.contains("index.html"));
    const player::Config expected{.selected_id = "aurora", .removed = {"tide"}, .fps = 60};
    EXPECT_EQ(settings, expected);
    EXPECT_EQ(player::load_settings(data.path()), expected);
    EXPECT_EQ(log.lines(), std::vector<std::string>{"free library load: id=aurora path=" + folder});
}

TEST(LibraryPlay, AFolderThatNoLongerVerifiesChangesNothing) {
    TestFolder data;
    const std::string folder = data / "library\\aurora";
    test::make_folder(data / "library");
    test::write_wallpaper(folder, "aurora", {{"Thumbs.db", ""}});
    const player::Config before{.selected_id = "tide", .removed = {"aurora"}};
    player::Config settings = before;

    const test::LogCapture log;
    const auto played = player::play_library_entry(data.path(), folder, settings);
    ASSERT_FALSE(played);
    EXPECT_EQ(played.error().message(), "private or tool file is not a wallpaper asset: Thumbs.db");
    EXPECT_EQ(settings, before);
    EXPECT_FALSE(test::exists(data / "settings.json"));
    EXPECT_TRUE(log.lines().empty());
}

}  // namespace
