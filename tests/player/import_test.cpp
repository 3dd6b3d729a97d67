#include "player/library/import.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "player/library/library.h"
#include "player/library/paths.h"
#include "player/library/windows_directory_reader.h"
#include "player/win32/wide.h"
#include "test_folder.h"
#include "wallpaper_folders.h"

namespace {

using test::TestFolder;

// An executable folder and a data folder with its library folder.
class ImportTest : public ::testing::Test {
protected:
    std::string library() const { return data_ / "library"; }
    std::string in_library(const std::string& name) const { return player::join_path(library(), name); }
    std::string portable(const std::string& id) const { return exe_ / ("wallpapers\\" + id); }
    std::vector<std::string> import(const std::vector<std::string>& removed = {}) {
        return player::import_portable_wallpapers(library(), exe_.path(), removed);
    }
    std::vector<std::string> library_names() const {
        const auto listed = player::list_folder_entries(library());
        std::vector<std::string> names;
        if (!listed) return names;
        for (const std::string& path : *listed) names.push_back(path.substr(library().size() + 1));
        return names;
    }

    TestFolder exe_;
    TestFolder data_;
};

TEST_F(ImportTest, NothingBesideTheProgramImportsNothing) {
    EXPECT_TRUE(import().empty());
    EXPECT_FALSE(test::exists(library()));
}

TEST_F(ImportTest, PortableWallpapersAreInstalledWithARewrittenManifestAndNoStagingLeft) {
    test::make_folder(exe_ / "wallpapers");
    test::write_wallpaper(portable("aurora"), "aurora", {{"js/app.js", "let a = 1;"}, {"img/deep/Sky.PNG", "png"}});
    test::write_wallpaper(exe_ / "content", "tide");
    EXPECT_EQ(import(), std::vector<std::string>{});

    EXPECT_EQ(library_names(), (std::vector<std::string>{"aurora", "tide"}));
    EXPECT_EQ(test::read_file(in_library("aurora\\manifest.json")),
              "{\n  \"id\": \"aurora\",\n  \"name\": \"Wallpaper aurora\",\n  \"version\": 1,\n"
              "  \"entry\": \"index.html\",\n  \"fps\": 30\n}");
    const auto installed = player::load_wallpaper_folder(in_library("aurora"));
    const auto source = player::load_wallpaper_folder(portable("aurora"));
    ASSERT_TRUE(installed && source);
    EXPECT_EQ(installed->assets, source->assets);
    EXPECT_EQ(installed->manifest, source->manifest);
}

TEST_F(ImportTest, RemovedIdsStayAwayAndInstalledIdsAreNeverOverwritten) {
    test::make_folder(exe_ / "wallpapers");
    test::write_wallpaper(portable("aurora"), "aurora", {{"v2.js", "new"}});
    test::write_wallpaper(portable("tide"), "tide");
    test::write_wallpaper(exe_ / "content", "sea");
    // An older aurora is installed already.
    test::make_folder(library());
    test::write_wallpaper(in_library("aurora"), "aurora", {{"v1.js", "old"}});

    EXPECT_EQ(import({"tide", "sea"}), std::vector<std::string>{});
    EXPECT_EQ(library_names(), std::vector<std::string>{"aurora"});
    EXPECT_TRUE(test::exists(in_library("aurora\\v1.js")));
    EXPECT_FALSE(test::exists(in_library("aurora\\v2.js")));
}

TEST_F(ImportTest, FolderNamesMustMatchTheIdInWallpapersButNotInContent) {
    test::make_folder(exe_ / "wallpapers");
    test::write_wallpaper(portable("aurora"), "Aurora");
    test::write_wallpaper(portable("broken"), "broken", {{"README", "x"}});
    test::write_wallpaper(exe_ / "content", "Aurora");
    EXPECT_EQ(import(), (std::vector<std::string>{
                            portable("aurora") + ": wallpaper folder must match manifest ID",
                            portable("broken") + ": private or tool file is not a wallpaper asset: README",
                        }));
    EXPECT_EQ(library_names(), std::vector<std::string>{"Aurora"});
}

TEST_F(ImportTest, AWallpapersFolderOver128EntriesIsOneRejectionAndInstallsNothing) {
    test::make_folder(exe_ / "wallpapers");
    for (int i = 0; i < 129; ++i) test::make_folder(portable("w" + std::to_string(i)));
    test::write_wallpaper(portable("w0"), "w0");
    EXPECT_EQ(import(), std::vector<std::string>{exe_ / "wallpapers" + ": wallpaper library exceeds 128 items"});
    EXPECT_TRUE(library_names().empty());
}

TEST_F(ImportTest, ALibraryWithoutAParentCannotBeCreated) {
    test::write_wallpaper(exe_ / "content", "tide");
    const auto item = player::load_wallpaper_folder(exe_ / "content").value();
    // A drive root that does not exist has no parent to create it in.
    player::WindowsDirectoryReader reader;
    const auto names = player::staging_names_for_now().value();
    EXPECT_EQ(player::install_into_library("Q:\\", item, reader, names).error().message(), "library parent unavailable");
    // A missing library folder with a plain parent is created on demand.
    EXPECT_EQ(player::install_into_library(library(), item, reader, names).value(), in_library("tide"));
}

// Reads the staged copy as something else than what was written: a file system that
// renames, hides or changes files behind the installer's back.
class AlteringReader final : public player::WindowsDirectoryReader {
public:
    enum class Change { bytes, hidden_file, renamed_file };
    explicit AlteringReader(Change change) : change_(change) {}

    core::Status list(std::string_view folder,
                      const std::function<core::Status(const core::DirectoryEntry&)>& visit) override {
        return WindowsDirectoryReader::list(folder, [&](const core::DirectoryEntry& entry) -> core::Status {
            if (!staged(folder) || entry.name != "app.js") return visit(entry);
            if (change_ == Change::hidden_file) return {};
            core::DirectoryEntry renamed = entry;
            if (change_ == Change::renamed_file) renamed.name = "App.js";
            return visit(renamed);
        });
    }
    core::Result<core::Bytes> read_file(std::string_view path, std::uint64_t limit) override {
        auto bytes = WindowsDirectoryReader::read_file(path, limit);
        if (bytes && change_ == Change::bytes && staged(path) && path.ends_with("app.js")) bytes->back() ^= 1;
        return bytes;
    }

private:
    static bool staged(std::string_view path) { return path.find(".tessary-import-") != std::string_view::npos; }
    Change change_;
};

TEST_F(ImportTest, AStagedCopyThatDiffersFailsAndLeavesNoStagingFolder) {
    test::write_wallpaper(exe_ / "content", "tide", {{"app.js", "let tide = 1;"}});
    const auto item = player::load_wallpaper_folder(exe_ / "content").value();
    for (const auto change : {AlteringReader::Change::bytes, AlteringReader::Change::hidden_file,
                              AlteringReader::Change::renamed_file}) {
        AlteringReader reader(change);
        const auto installed =
            player::install_into_library(library(), item, reader, player::staging_names_for_now().value());
        ASSERT_FALSE(installed);
        EXPECT_EQ(installed.error().message(), "staged wallpaper verification failed");
        EXPECT_TRUE(library_names().empty());
    }
}

TEST_F(ImportTest, SixteenTakenStagingNamesGiveUp) {
    test::write_wallpaper(exe_ / "content", "tide");
    const auto item = player::load_wallpaper_folder(exe_ / "content").value();
    test::make_folder(library());
    for (int i = 0; i < 16; ++i) test::make_folder(in_library(".tessary-import-7-7-" + std::to_string(i)));
    int attempts = 0;
    const player::StagingNames taken = [&]() -> core::Result<std::string> {
        return ".tessary-import-7-7-" + std::to_string(attempts++);
    };
    player::WindowsDirectoryReader reader;
    EXPECT_EQ(player::install_into_library(library(), item, reader, taken).error().message(),
              "cannot create unique import directory");
    EXPECT_EQ(attempts, 16);
    EXPECT_FALSE(test::exists(in_library("tide")));

    // The sixteenth attempt may still succeed.
    test::remove_tree(in_library(".tessary-import-7-7-15"));
    attempts = 0;
    EXPECT_EQ(player::install_into_library(library(), item, reader, taken).value(), in_library("tide"));
    EXPECT_FALSE(test::exists(in_library(".tessary-import-7-7-15")));
}

TEST_F(ImportTest, StagingNamesCountUpWithinTheProcess) {
    const auto names = player::staging_names_for_now().value();
    const std::string first = names().value();
    const std::string second = names().value();
    const std::string prefix = ".tessary-import-" + std::to_string(::GetCurrentProcessId()) + "-";
    ASSERT_TRUE(first.starts_with(prefix)) << first;
    const std::string time_and_counter = first.substr(prefix.size());
    const std::string time = time_and_counter.substr(0, time_and_counter.find('-'));
    EXPECT_GT(time.size(), 18u);  // nanoseconds since 1970
    const std::uint64_t counter = std::stoull(time_and_counter.substr(time.size() + 1));
    EXPECT_EQ(second, prefix + time + "-" + std::to_string(counter + 1));
}

TEST(RemoveTreeSafely, RemovesWhatItCanAndKeepsTheFoldersOfFilesThatStay) {
    TestFolder scratch;
    test::write_wallpaper(scratch / "tree", "tree", {{"a/b/c.js", "c"}, {"a/d.js", "d"}, {"e/f.js", "f"}});
    player::remove_tree_safely(scratch / "tree\\e");
    EXPECT_FALSE(test::exists(scratch / "tree\\e"));
    EXPECT_TRUE(test::exists(scratch / "tree\\a\\b\\c.js"));

    // A file that cannot be deleted keeps its folders; everything else goes.
    test::write_file(scratch / "tree\\a\\b\\locked.js", "x");
    ASSERT_TRUE(::SetFileAttributesW(win32::to_wide(scratch / "tree\\a\\b\\locked.js").value().c_str(),
                                     FILE_ATTRIBUTE_READONLY));
    player::remove_tree_safely(scratch / "tree");
    EXPECT_TRUE(test::exists(scratch / "tree\\a\\b\\locked.js"));
    EXPECT_FALSE(test::exists(scratch / "tree\\a\\b\\c.js"));
    EXPECT_FALSE(test::exists(scratch / "tree\\a\\d.js"));
    EXPECT_FALSE(test::exists(scratch / "tree\\manifest.json"));
    ::SetFileAttributesW(win32::to_wide(scratch / "tree\\a\\b\\locked.js").value().c_str(), FILE_ATTRIBUTE_NORMAL);
    player::remove_tree_safely(scratch / "tree");
    EXPECT_FALSE(test::exists(scratch / "tree"));
}

TEST(RemoveTreeSafely, NeverGoesThroughALink) {
    TestFolder scratch;
    const auto link = test::folder_link(scratch);
    if (!link) GTEST_SKIP() << "no folder link can be made here";
    // Below a link, and the link itself: nothing is touched.
    player::remove_tree_safely(*link + "\\inner");
    player::remove_tree_safely(*link);
    EXPECT_TRUE(test::exists(*link + "\\inner"));
    EXPECT_TRUE(test::exists(*link));

    // A link anywhere inside the tree stops the whole removal there: whatever the listings
    // give after it (names come in order), in its folder and in the folders above, stays,
    // and so do the link, its target and the tree.
    const auto tree = test::tree_with_link(scratch);
    if (!tree) GTEST_SKIP() << "no folder link can be made here";
    for (const char* name : {"a.txt", "m\\b.txt", "m\\z.txt", "z.txt"}) test::write_file(*tree + "\\" + name, "x");
    player::remove_tree_safely(*tree);
    EXPECT_FALSE(test::exists(*tree + "\\a.txt"));
    EXPECT_FALSE(test::exists(*tree + "\\m\\b.txt"));
    EXPECT_TRUE(test::exists(*tree + "\\m\\folder-link"));
    EXPECT_TRUE(test::exists(*tree + "\\m\\z.txt"));
    EXPECT_TRUE(test::exists(*tree + "\\z.txt"));
    EXPECT_TRUE(test::exists(*player::parent_path(*tree) + "\\real\\inner"));
    for (const char* name : {"m\\z.txt", "z.txt"}) ::DeleteFileW(win32::to_wide(*tree + "\\" + name).value().c_str());
}

}  // namespace
