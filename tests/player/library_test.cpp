#include "player/library/library.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "log_capture.h"
#include "player/library/paths.h"
#include "test_folder.h"
#include "wallpaper_folders.h"

namespace {

using test::TestFolder;

std::string message_of(const core::Result<core::WallpaperItem>& loaded) {
    return loaded ? "ok" : loaded.error().message();
}

std::string load_message(const std::string& folder) { return message_of(player::load_wallpaper_folder(folder)); }

// The same through a library row, which reads every file but keeps no bytes.
std::string entry_message(const std::string& folder) {
    player::WindowsDirectoryReader reader;
    const auto entry = player::load_library_entry(folder, reader);
    return entry ? "ok" : entry.error().message();
}

// A folder below the runner's prepared link, removed again at the end.
class BelowLink {
public:
    explicit BelowLink(const std::string& real) : real_(real) { test::make_folder(real_); }
    ~BelowLink() { test::remove_tree(real_); }

private:
    std::string real_;
};

TEST(WallpaperFolder, AVerifiedFolderGivesItsManifestAndEveryAssetButTheManifest) {
    TestFolder folder;
    test::write_wallpaper(folder / "aurora", "aurora", {{"images/Logo.PNG", "png"}, {"sub/manifest.json", "{}"}});
    const auto item = player::load_wallpaper_folder(folder / "aurora");
    ASSERT_TRUE(item) << item.error().chain();
    EXPECT_EQ(item->manifest.id, "aurora");
    EXPECT_EQ(item->manifest.name, "Wallpaper aurora");
    std::vector<std::string> paths;
    for (const auto& [path, bytes] : item->assets) paths.push_back(path);
    EXPECT_EQ(paths, (std::vector<std::string>{"images/Logo.PNG", "index.html", "sub/manifest.json"}));
    EXPECT_EQ(std::string(item->assets.at("index.html").begin(), item->assets.at("index.html").end()),
              "<!doctype html><p>aurora");
}

TEST(WallpaperFolder, TheFolderAndItsManifestMustBePlainAndPresent) {
    TestFolder folder;
    EXPECT_EQ(player::load_wallpaper_folder(folder / "none").error().os_code(), ERROR_FILE_NOT_FOUND);
    test::write_file(folder / "file", "x");
    EXPECT_EQ(load_message(folder / "file"), "source path is not a directory");

    test::make_folder(folder / "empty");
    const auto missing = player::load_wallpaper_folder(folder / "empty");
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().os_code(), ERROR_FILE_NOT_FOUND);

    test::make_folder(folder / "dir");
    test::make_folder(folder / "dir\\manifest.json");
    EXPECT_EQ(load_message(folder / "dir"), "manifest must be a file");

    test::write_wallpaper(folder / "noentry", "noentry");
    test::write_file(folder / "noentry\\manifest.json", test::manifest_text("noentry", "main.html"));
    EXPECT_EQ(load_message(folder / "noentry"), "entry HTML is missing");

    // Valid in a manifest, but not as a folder name.
    test::write_wallpaper(folder / "hidden", ".hidden");
    EXPECT_EQ(load_message(folder / "hidden"), "invalid wallpaper ID");
}

TEST(WallpaperFolder, AManifestOf8192BytesIsReadAndOneOf8193IsTooLarge) {
    TestFolder folder;
    const std::string text = test::manifest_text("pad");
    test::write_wallpaper(folder / "pad", "pad");
    test::write_file(folder / "pad\\manifest.json", text + std::string(8192 - text.size(), ' '));
    EXPECT_EQ(load_message(folder / "pad"), "ok");
    test::write_file(folder / "pad\\manifest.json", text + std::string(8193 - text.size(), ' '));
    EXPECT_EQ(load_message(folder / "pad"), "file too large");
}

TEST(WallpaperFolder, PrivateDevelopmentAndToolFilesAreRefusedNotSkipped) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"deep/.git/HEAD.js", "private or development directory is not allowed"},
        {"Node_Modules/x.js", "private or development directory is not allowed"},
        {"a/Secrets/key.json", "private or development directory is not allowed"},
        {".DS_Store", "private or development file is not a wallpaper asset: .DS_Store"},
        {"package.json", "private or development file is not a wallpaper asset: package.json"},
        {"Thumbs.db", "private or tool file is not a wallpaper asset: Thumbs.db"},
        {"docs/README", "private or tool file is not a wallpaper asset: docs/README"},
    };
    for (const auto& [file, message] : cases) {
        TestFolder folder;
        test::write_wallpaper(folder / "w", "w", {{file, "x"}});
        EXPECT_EQ(load_message(folder / "w"), message) << file;
    }
}

TEST(WallpaperFolder, ALinkInsideTheFolderIsRefusedEvenWhenItPointsInside) {
    TestFolder scratch;
    const auto link = test::folder_link(scratch);
    if (!link) GTEST_SKIP() << "no folder link can be made here";
    // The folder holding the prepared link becomes a wallpaper for the moment.
    const std::string root = *player::parent_path(*link);
    test::write_file(player::join_path(root, "manifest.json"), test::manifest_text("linked"));
    test::write_file(player::join_path(root, "index.html"), "x");
    const std::string message = load_message(root);
    test::remove_tree(player::join_path(root, "manifest.json"));
    test::remove_tree(player::join_path(root, "index.html"));
    EXPECT_EQ(message, test::link_refusal());
}

TEST(WallpaperFolder, NestingOf32LevelsIsWalkedAnd33IsRefused) {
    TestFolder folder;
    std::string deep;
    for (int level = 0; level < 32; ++level) deep += "d/";
    test::write_wallpaper(folder / "w", "w", {{deep + "x.js", "x"}});
    const auto item = player::load_wallpaper_folder(folder / "w");
    ASSERT_TRUE(item) << item.error().chain();
    EXPECT_TRUE(item->assets.contains(deep + "x.js"));

    test::write_tree_file(folder / "w", deep + "d/y.js", "y");
    EXPECT_EQ(load_message(folder / "w"), "source directory nesting exceeds limit");
}

TEST(WallpaperFolder, AssetCountAndSizeLimitsHoldExactly) {
    TestFolder folder;
    std::map<std::string, std::string> many;
    for (int i = 0; i < 2047; ++i) many["a/" + std::to_string(i) + ".js"] = "";
    test::write_wallpaper(folder / "many", "many", many);  // with index.html: 2048 assets
    EXPECT_EQ(load_message(folder / "many"), "ok");
    test::write_file(folder / "many\\a\\extra.js", "");
    EXPECT_EQ(load_message(folder / "many"), "too many source assets");

    const std::size_t mib = 1024 * 1024;
    test::write_wallpaper(folder / "big", "big", {{"one.bin", std::string(24 * mib, 'b')}});
    EXPECT_EQ(load_message(folder / "big"), "ok");
    EXPECT_EQ(entry_message(folder / "big"), "ok");
    test::write_file(folder / "big\\one.bin", std::string(24 * mib + 1, 'b'));
    EXPECT_EQ(load_message(folder / "big"), "file too large");
    EXPECT_EQ(entry_message(folder / "big"), "file too large");

    // 64 MiB in all, index.html included.
    const std::size_t index_size = std::string("<!doctype html><p>total").size();
    test::write_wallpaper(folder / "total", "total",
                          {{"a.bin", std::string(24 * mib, 'a')},
                           {"b.bin", std::string(24 * mib, 'b')},
                           {"c.bin", std::string(16 * mib - index_size, 'c')}});
    EXPECT_EQ(load_message(folder / "total"), "ok");
    EXPECT_EQ(entry_message(folder / "total"), "ok");
    test::write_file(folder / "total\\c.bin", std::string(16 * mib - index_size + 1, 'c'));
    EXPECT_EQ(load_message(folder / "total"), "source assets exceed total size limit");
    EXPECT_EQ(entry_message(folder / "total"), "source assets exceed total size limit");
}

TEST(LibraryEntry, TheFolderNameMustEqualTheIdByteForByte) {
    TestFolder folder;
    test::write_wallpaper(folder / "Foo", "foo");
    player::WindowsDirectoryReader reader;
    EXPECT_EQ(player::load_library_entry(folder / "Foo", reader).error().message(), "wallpaper folder must match manifest ID");
    test::write_wallpaper(folder / "foo2", "foo2");
    const auto entry = player::load_library_entry(folder / "foo2", reader);
    ASSERT_TRUE(entry) << entry.error().chain();
    EXPECT_EQ(*entry, (player::LibraryEntry{"foo2", "Wallpaper foo2", folder / "foo2"}));
}

TEST(FolderEntries, SortedByNameBytesAndLimitedTo128) {
    TestFolder folder;
    // Windows names are case-insensitive, so "b" and "B" cannot both exist.
    for (const char* name : {"c", "a", "B", "A-1", "a.txt", "_"}) test::make_folder(folder / name);
    const auto listed = player::list_folder_entries(folder.path());
    ASSERT_TRUE(listed);
    EXPECT_EQ(*listed, (std::vector<std::string>{folder / "A-1", folder / "B", folder / "_", folder / "a",
                                                 folder / "a.txt", folder / "c"}));

    TestFolder full;
    for (int i = 0; i < 128; ++i) test::write_file(full / std::to_string(i), "");
    EXPECT_EQ(player::list_folder_entries(full.path()).value().size(), 128u);
    test::write_file(full / "one-more", "");
    EXPECT_EQ(player::list_folder_entries(full.path()).error().message(), "wallpaper library exceeds 128 items");
}

TEST(ReloadLibrary, VerifiedFoldersAreListedByIdAndRejectionsAreLoggedAndCounted) {
    TestFolder data;
    const std::string library = data / "library";
    test::make_folder(library);
    for (const char* id : {"a", "B", "A-1"}) test::write_wallpaper(player::join_path(library, id), id);
    test::write_wallpaper(player::join_path(library, "Foo"), "foo");
    test::write_wallpaper(player::join_path(library, "bad"), "bad", {{"README", "x"}});
    // A staging folder left by a crash is skipped, whatever it holds.
    test::write_wallpaper(player::join_path(library, ".tessary-import-1-2-3"), "broken", {{".git/x", ""}});
    test::write_file(player::join_path(library, ".tessary-stray"), "");

    const test::LogCapture log;
    const player::Library listed = player::reload_library(data.path());
    ASSERT_EQ(listed.entries.size(), 3u);
    EXPECT_EQ(listed.entries[0], (player::LibraryEntry{"A-1", "Wallpaper A-1", player::join_path(library, "A-1")}));
    EXPECT_EQ(listed.entries[1].id, "B");
    EXPECT_EQ(listed.entries[2].id, "a");
    EXPECT_EQ(log.lines(),
              (std::vector<std::string>{
                  "library rejected item: " + player::join_path(library, "Foo") +
                      ": wallpaper folder must match manifest ID",
                  "library rejected item: " + player::join_path(library, "bad") +
                      ": private or tool file is not a wallpaper asset: README",
              }));
    EXPECT_EQ(listed.notice, "已跳过 2 个未通过验证的作品，详细原因见日志。");
}

// A name that is not Unicode text cannot be the id; it is refused as such, not with what
// reading the path listed with a replacement character would say ("not found").
TEST(ReloadLibrary, AFolderNameThatIsNotTextIsRefusedAsNotMatchingItsId) {
    TestFolder scratch;
    const auto data = test::data_with_untextual_name(scratch);
    if (!data) GTEST_SKIP() << "no such name can be made here";
    const std::string library = player::join_path(*data, "library");
    const test::LogCapture log;
    const player::Library listed = player::reload_library(*data);
    EXPECT_TRUE(listed.entries.empty());
    EXPECT_EQ(log.lines(), std::vector<std::string>{"library rejected item: " +
                                                    player::join_path(library, "a\xEF\xBF\xBD") +
                                                    ": wallpaper folder must match manifest ID"});
}

TEST(ReloadLibrary, AnEmptyLibraryHasNoNoticeAndAMissingOneIsOneRejection) {
    TestFolder data;
    test::make_folder(data / "library");
    const test::LogCapture log;
    const player::Library empty = player::reload_library(data.path());
    EXPECT_TRUE(empty.entries.empty());
    EXPECT_EQ(empty.notice, std::nullopt);
    EXPECT_TRUE(log.lines().empty());

    test::remove_tree(data / "library");
    const player::Library missing = player::reload_library(data.path());
    EXPECT_TRUE(missing.entries.empty());
    EXPECT_EQ(missing.notice, "已跳过 1 个未通过验证的作品，详细原因见日志。");
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_TRUE(log.lines()[0].starts_with("library rejected item: " + (data / "library") + ": ")) << log.lines()[0];
}

TEST(ReloadLibrary, OneHundredTwentyEightEntriesAreReadAndOneMoreEmptiesTheLibrary) {
    TestFolder data;
    const std::string library = data / "library";
    test::make_folder(library);
    for (int i = 0; i < 128; ++i) {
        const std::string id = "w" + std::to_string(1000 + i);
        test::write_wallpaper(player::join_path(library, id), id);
    }
    EXPECT_EQ(player::reload_library(data.path()).entries.size(), 128u);

    test::write_file(player::join_path(library, "extra.txt"), "");
    const test::LogCapture log;
    const player::Library over = player::reload_library(data.path());
    EXPECT_TRUE(over.entries.empty());
    EXPECT_EQ(over.notice, "已跳过 1 个未通过验证的作品，详细原因见日志。");
    EXPECT_EQ(log.lines(), std::vector<std::string>{"library rejected item: " + library +
                                                    ": wallpaper library exceeds 128 items"});
}

TEST(ReloadLibrary, ALinkAnywhereOnTheLibraryPathEmptiesTheLibrary) {
    TestFolder scratch;
    const auto link = test::folder_link(scratch);
    if (!link) GTEST_SKIP() << "no folder link can be made here";
    const std::string real = player::join_path(*player::parent_path(*link), "real");
    const BelowLink data(player::join_path(real, "inner\\data"));
    test::make_folder(player::join_path(real, "inner\\data\\library"));
    test::write_wallpaper(player::join_path(real, "inner\\data\\library\\aurora"), "aurora");

    const test::LogCapture log;
    const player::Library listed = player::reload_library(*link + "\\inner\\data");
    EXPECT_TRUE(listed.entries.empty());
    EXPECT_EQ(listed.notice, "已跳过 1 个未通过验证的作品，详细原因见日志。");
    ASSERT_EQ(log.lines().size(), 1u);
    const std::string prefix = "library rejected item: " + *link + "\\inner\\data\\library: ";
    ASSERT_TRUE(log.lines()[0].starts_with(prefix)) << log.lines()[0];
    EXPECT_EQ(log.lines()[0].substr(prefix.size()), test::link_refusal());
    // The same wallpaper reached by its plain path is fine.
    EXPECT_EQ(player::reload_library(player::join_path(real, "inner\\data")).entries.size(), 1u);
}

}  // namespace
