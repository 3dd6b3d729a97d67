#include "core/startup/command_line.h"

#include <gtest/gtest.h>

namespace {

using Args = std::vector<std::string>;

std::string parse_error(const Args& args) {
    const auto parsed = core::parse_startup_options(args);
    return parsed ? "ok" : parsed.error().message();
}

TEST(CommandLine, FlagsAnywhereUnknownArgumentsIgnored) {
    const auto options =
        core::parse_startup_options({"stray", "--preview", "--whatever", "--startup", "--exit"});
    ASSERT_TRUE(options);
    EXPECT_TRUE(options->startup);
    EXPECT_TRUE(options->preview);
    EXPECT_TRUE(options->exit_request);
    EXPECT_FALSE(options->select_wallpaper);
    EXPECT_FALSE(options->package_path);

    const auto none = core::parse_startup_options({});
    ASSERT_TRUE(none);
    EXPECT_FALSE(none->startup || none->preview || none->exit_request);
}

TEST(CommandLine, SelectWallpaperTakesTheNextArgumentAtItsFirstOccurrence) {
    const auto options =
        core::parse_startup_options({"--select-wallpaper", "aurora", "--select-wallpaper", "b@d"});
    ASSERT_TRUE(options);
    EXPECT_EQ(options->select_wallpaper, "aurora");
    // A one-character value is judged by the id rule, not by the "--" test.
    EXPECT_EQ(core::parse_startup_options({"--select-wallpaper", "-"})->select_wallpaper, "-");
}

TEST(CommandLine, SelectWallpaperWithoutValueNeedsAnId) {
    EXPECT_EQ(parse_error({"--select-wallpaper"}), "--select-wallpaper needs a wallpaper ID");
    EXPECT_EQ(parse_error({"--select-wallpaper", "--startup"}),
              "--select-wallpaper needs a wallpaper ID");
}

TEST(CommandLine, SelectWallpaperRefusesIdsOutsideTheLibraryRule) {
    for (const std::string& id : {std::string(), std::string(".hidden"), std::string(101, 'a'),
                                  std::string("two words"), std::string("CON"),
                                  std::string("ends.")}) {
        EXPECT_EQ(parse_error({"--select-wallpaper", id}), "invalid wallpaper ID") << id;
    }
    EXPECT_EQ(parse_error({"--select-wallpaper", std::string(100, 'a')}), "ok");
}

TEST(CommandLine, PackagePathIsTakenUnchanged) {
    EXPECT_EQ(core::parse_startup_options({"--package", "C:\\x y\\a.wallpkg"})->package_path,
              "C:\\x y\\a.wallpkg");
    EXPECT_EQ(core::parse_startup_options({"--package", "--preview"})->package_path, "--preview");
    EXPECT_FALSE(core::parse_startup_options({"--package"})->package_path);
}

TEST(CommandLine, SourceIsRefusedInThisBuild) {
    EXPECT_TRUE(core::check_source_option({"--preview"}));
    EXPECT_EQ(core::check_source_option({"--source", "C:\\walls"}).error().message(),
              "--source requires an author-preview build");
    EXPECT_EQ(core::check_source_option({"--source"}).error().message(),
              "--source needs a local wallpaper directory");
    EXPECT_EQ(core::check_source_option({"--source", "--exit"}).error().message(),
              "--source needs a local wallpaper directory");
}

TEST(CommandLine, TheAuthorPreviewBuildTakesTheSourceFolder) {
    EXPECT_EQ(core::source_folder_option({"--preview"}).value(), std::nullopt);
    EXPECT_EQ(core::source_folder_option({"--source", "C:\\walls", "--source", "D:\\x"}).value(), "C:\\walls");
    EXPECT_EQ(core::source_folder_option({"--source", "--exit"}).error().message(),
              "--source needs a local wallpaper directory");
    EXPECT_EQ(core::source_folder_option({"--source"}).error().message(), "--source needs a local wallpaper directory");
}

}  // namespace
