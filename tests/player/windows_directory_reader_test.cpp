#include "player/library/windows_directory_reader.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <map>

#include "core/fs/entry_kind.h"
#include "player/library/file_entry.h"
#include "player/library/paths.h"
#include "player/win32/unique_resource.h"
#include "player/win32/wide.h"
#include "test_folder.h"

namespace {

using test::TestFolder;

std::map<std::string, core::DirectoryEntry> list_all(player::WindowsDirectoryReader& reader,
                                                     const std::string& folder) {
    std::map<std::string, core::DirectoryEntry> entries;
    const auto listed = reader.list(folder, [&](const core::DirectoryEntry& entry) -> core::Status {
        entries[entry.name.value_or("<not text>")] = entry;
        return {};
    });
    EXPECT_TRUE(listed) << listed.error().chain();
    return entries;
}

TEST(WindowsDirectoryReader, DescribesFilesAndFoldersByTheirOwnAttributes) {
    TestFolder folder;
    test::make_folder(folder / "images");
    test::write_file(folder / "index.html", "<p>");
    test::write_file(folder / "\xE5\xA3\x81\xE7\xBA\xB8.png", "png");
    player::WindowsDirectoryReader reader;

    const auto entries = list_all(reader, folder.path());
    ASSERT_EQ(entries.size(), 3u);  // "." and ".." are not entries
    EXPECT_TRUE(entries.at("images").attributes & core::kAttributeDirectory);
    EXPECT_FALSE(entries.at("index.html").attributes & core::kAttributeDirectory);
    EXPECT_FALSE(entries.at("\xE5\xA3\x81\xE7\xBA\xB8.png").attributes & core::kAttributeReparsePoint);
    EXPECT_EQ(reader.join(folder.path(), "images"), folder.path() + "\\images");
    EXPECT_TRUE(list_all(reader, folder / "images").empty());
}

TEST(WindowsDirectoryReader, ALinkIsReportedNotFollowedAndAFolderBelowOneIsNotListed) {
    TestFolder scratch;
    const auto link = test::folder_link(scratch);
    if (!link) GTEST_SKIP() << "no folder link can be made here";
    player::WindowsDirectoryReader reader;

    const auto entries = list_all(reader, *player::parent_path(*link));
    ASSERT_TRUE(entries.contains("linked"));
    // Wine shows a Unix link as a reparse point with tag 0; Windows gives the symbolic
    // link's tag, which carries the name-surrogate bit.
    EXPECT_TRUE(entries.at("linked").attributes & core::kAttributeReparsePoint);
    EXPECT_FALSE(entries.at("real").attributes & core::kAttributeReparsePoint);

    bool visited = false;
    const auto below = reader.list(*link + "\\inner", [&](const core::DirectoryEntry&) -> core::Status {
        visited = true;
        return {};
    });
    ASSERT_FALSE(below);
    EXPECT_EQ(below.error().message(), test::link_refusal());
    EXPECT_FALSE(visited);
}

TEST(WindowsDirectoryReader, NamesThatAreNotUnicodeTextHaveNoNameAndTagsCountOnlyForReparsePoints) {
    // A lone surrogate is a legal NTFS name but not Unicode text. Wine's file names are
    // Unix ones and cannot hold it, so the listed record is made here.
    const std::wstring bad = L"a\xD800z.js";
    const core::DirectoryEntry entry =
        player::describe_entry({.name = bad, .attributes = FILE_ATTRIBUTE_ARCHIVE, .reparse_tag = 0xA000000C});
    EXPECT_FALSE(entry.name.has_value());
    EXPECT_EQ(entry.attributes, static_cast<std::uint32_t>(FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(entry.reparse_tag, 0u);

    const core::DirectoryEntry link = player::describe_entry({.name = L"\x58C1\x7EB8",
                                                              .attributes = FILE_ATTRIBUTE_DIRECTORY |
                                                                            FILE_ATTRIBUTE_REPARSE_POINT,
                                                              .reparse_tag = 0xA0000003});
    EXPECT_EQ(link.name, "\xE5\xA3\x81\xE7\xBA\xB8");
    EXPECT_EQ(link.reparse_tag, 0xA0000003u);
}

TEST(WindowsDirectoryReader, ListingStopsAtTheFirstErrorAndMissingFoldersFail) {
    TestFolder folder;
    for (const char* name : {"a.js", "b.js", "c.js"}) test::write_file(folder / name, "x");
    player::WindowsDirectoryReader reader;
    int visits = 0;
    const auto stopped = reader.list(folder.path(), [&](const core::DirectoryEntry&) -> core::Status {
        ++visits;
        return core::fail("stop here");
    });
    ASSERT_FALSE(stopped);
    EXPECT_EQ(stopped.error().message(), "stop here");
    EXPECT_EQ(visits, 1);

    const auto missing = reader.list(folder / "none", [](const core::DirectoryEntry&) -> core::Status { return {}; });
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().os_code(), ERROR_FILE_NOT_FOUND);
}

TEST(WindowsDirectoryReader, AFolderIsCheckedAgainRightBeforeItIsListed) {
    TestFolder folder;
    test::make_folder(folder / "sub");
    test::make_folder(folder / "sub\\deeper");
    player::WindowsDirectoryReader reader;
    list_all(reader, folder.path());
    EXPECT_EQ(list_all(reader, folder / "sub").size(), 1u);

    // Seen as a folder in its parent's listing, a file by the time it is listed.
    test::remove_tree(folder / "sub");
    test::write_file(folder / "sub", "x");
    const auto swapped = reader.list(folder / "sub", [](const core::DirectoryEntry&) -> core::Status { return {}; });
    ASSERT_FALSE(swapped);
    EXPECT_EQ(swapped.error().message(), "source path is not a directory");
    // A folder the reader never saw gets the whole chain checked.
    const auto below = reader.list(folder / "sub\\deeper", [](const core::DirectoryEntry&) -> core::Status { return {}; });
    ASSERT_FALSE(below);
}

TEST(WindowsDirectoryReader, FilesAreReadUnderTheLimit) {
    TestFolder folder;
    test::write_file(folder / "at.js", std::string(100, 'a'));
    player::WindowsDirectoryReader reader;
    EXPECT_EQ(reader.read_file(folder / "at.js", 100).value().size(), 100u);
    EXPECT_EQ(reader.read_file(folder / "at.js", 99).error().message(), "file too large");
}

TEST(OwnAttributes, SizesFoldersAndReparsePointsAreReportedWithoutFollowing) {
    TestFolder folder;
    test::write_file(folder / "five.bin", "12345");
    const auto file = player::read_own_attributes(folder / "five.bin");
    ASSERT_TRUE(file);
    EXPECT_EQ(file->size, 5u);
    EXPECT_FALSE(file->is_directory());
    EXPECT_TRUE(player::read_own_attributes(folder.path()).value().is_directory());
    EXPECT_EQ(player::read_own_attributes(folder / "none").error().os_code(), ERROR_FILE_NOT_FOUND);

    EXPECT_EQ(player::refuse_reparse_point({.attributes = FILE_ATTRIBUTE_REPARSE_POINT, .reparse_tag = 0xA000000C})
                  .error()
                  .message(),
              "source symlinks are not allowed");
    EXPECT_EQ(player::refuse_reparse_point({.attributes = FILE_ATTRIBUTE_REPARSE_POINT, .reparse_tag = 0x80000017})
                  .error()
                  .message(),
              "source reparse points are not allowed");
    EXPECT_TRUE(player::refuse_reparse_point({.attributes = FILE_ATTRIBUTE_DIRECTORY}));

    TestFolder scratch;
    if (const auto link = test::folder_link(scratch)) {
        const auto own = player::read_own_attributes(*link);
        ASSERT_TRUE(own);
        EXPECT_TRUE(own->is_reparse_point());
        EXPECT_FALSE(player::refuse_reparse_point(*own));
    }
}

TEST(WindowsDirectoryReader, TheOpenRootIsListedThroughItsHandleWhateverBecomesOfItsPath) {
    TestFolder folder;
    test::make_folder(folder / "Wall");
    test::write_file(folder / "Wall\\index.html", "x");
    test::write_file(folder / "file.txt", "x");
    player::WindowsDirectoryReader reader;

    const auto root = reader.open_root(folder / "Wall");
    ASSERT_TRUE(root) << root.error().chain();
    EXPECT_EQ(*root, player::final_path(folder / "Wall").value());
    // Moved away after it was opened: the listing still reads the folder that was resolved.
    ASSERT_TRUE(::MoveFileExW(win32::to_wide(folder / "Wall").value().c_str(),
                              win32::to_wide(folder / "Moved").value().c_str(), 0));
    EXPECT_EQ(list_all(reader, *root).size(), 1u);
    // The handle serves one listing; the next one goes by the path, which is gone.
    EXPECT_FALSE(reader.list(*root, [](const core::DirectoryEntry&) -> core::Status { return {}; }));

    EXPECT_EQ(reader.open_root(folder / "file.txt").error().message(), "source must be a directory");
    EXPECT_EQ(reader.open_root(folder / "none").error().os_code(), ERROR_FILE_NOT_FOUND);
}

TEST(FinalPath, OpenHandlesReportTheirFullSystemPath) {
    TestFolder folder;
    test::make_folder(folder / "Wall");
    test::write_file(folder / "Wall\\index.html", "x");
    const auto resolved = player::final_path(folder / "Wall\\..\\Wall");
    ASSERT_TRUE(resolved) << resolved.error().chain();
    // Windows and Wine both answer in the \\?\C:\ form.
    EXPECT_TRUE(resolved->starts_with("\\\\?\\")) << *resolved;
    EXPECT_TRUE(resolved->ends_with("\\Wall")) << *resolved;
    EXPECT_EQ(test::read_file(player::join_path(*resolved, "index.html")), "x");
    EXPECT_EQ(player::final_path(folder / "none").error().os_code(), ERROR_FILE_NOT_FOUND);
}

}  // namespace
