#include "player/library/fs_guards.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "player/library/paths.h"
#include "player/win32/wide.h"
#include "test_folder.h"

namespace {

using test::TestFolder;

std::string guard_message(const std::string& path) {
    const auto result = player::check_plain_directory_chain(path);
    return result ? "ok" : result.error().message();
}

TEST(PlainDirectoryChain, PlainFoldersPassFilesAndMissingEntriesFail) {
    TestFolder folder;
    test::make_folder(folder / "a");
    test::make_folder(folder / "a\\b");
    test::write_file(folder / "a\\file.txt", "x");

    EXPECT_EQ(guard_message(folder / "a\\b"), "ok");
    EXPECT_EQ(guard_message(folder / "a\\file.txt"), "source path is not a directory");
    // A missing folder is the system's error, with its code kept as the cause.
    const auto missing = player::check_plain_directory_chain(folder / "a\\none");
    ASSERT_FALSE(missing);
    EXPECT_TRUE(missing.error().os_code() == ERROR_FILE_NOT_FOUND ||
                missing.error().os_code() == ERROR_PATH_NOT_FOUND);
}

TEST(PlainDirectoryChain, RelativePathsAreCheckedAsTheirAbsoluteForm) {
    TestFolder folder;
    test::make_folder(folder / "inner");
    test::write_file(folder / "plain.txt", "x");
    const std::wstring previous = [] {
        wchar_t buffer[MAX_PATH];
        ::GetCurrentDirectoryW(MAX_PATH, buffer);
        return std::wstring(buffer);
    }();
    ASSERT_TRUE(::SetCurrentDirectoryW(win32::to_wide(folder.path()).value().c_str()));
    EXPECT_EQ(guard_message("inner"), "ok");
    EXPECT_EQ(guard_message("plain.txt"), "source path is not a directory");
    EXPECT_EQ(guard_message("inner\\..\\plain.txt"), "source path is not a directory");
    ::SetCurrentDirectoryW(previous.c_str());
}

TEST(PlainDirectoryChain, ALinkAnywhereOnThePathIsRefused) {
    TestFolder scratch;
    const auto link = test::folder_link(scratch);
    if (!link) GTEST_SKIP() << "no folder link can be made here";
    // The link is refused, also when the folder checked is a plain one beneath it. The tag
    // rule itself is tested in the core.
    for (const std::string& path : {*link, *link + "\\inner"}) {
        EXPECT_EQ(guard_message(path), test::link_refusal()) << path;
    }
}

TEST(ReadFileLimited, ExactlyTheLimitIsReadOneByteMoreIsTooLarge) {
    TestFolder folder;
    test::write_file(folder / "at.bin", std::string(8192, 'a'));
    test::write_file(folder / "over.bin", std::string(8193, 'a'));
    test::write_file(folder / "empty.bin", "");

    const auto at = player::read_file_limited(folder / "at.bin", 8192);
    ASSERT_TRUE(at);
    EXPECT_EQ(at->size(), 8192u);
    EXPECT_EQ(player::read_file_limited(folder / "over.bin", 8192).error().message(), "file too large");
    EXPECT_TRUE(player::read_file_limited(folder / "empty.bin", 0).value().empty());
    EXPECT_EQ(player::read_file_limited(folder / "at.bin", 0).error().message(), "file too large");
}

TEST(ReadFileLimited, ContentsArriveWholeAndMissingFilesReportTheSystemError) {
    TestFolder folder;
    std::string content(300'000, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7 + 3);
    test::write_file(folder / "big.bin", content);
    const auto read = player::read_file_limited(folder / "big.bin", 25'165'824);
    ASSERT_TRUE(read);
    EXPECT_EQ(std::string(read->begin(), read->end()), content);

    const auto missing = player::read_file_limited(folder / "nothing.bin", 10);
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().os_code(), ERROR_FILE_NOT_FOUND);
    EXPECT_NE(missing.error().message().find("(os error 2)"), std::string::npos);
}

TEST(ReadFileLimited, DiscardingReadsKeepTheLimitsAndReuseOneGrowingBuffer) {
    TestFolder folder;
    test::write_file(folder / "big.bin", std::string(300'000, 'b'));
    test::write_file(folder / "small.bin", "abc");
    test::write_file(folder / "at.bin", std::string(8192, 'a'));
    core::Bytes scratch;

    EXPECT_EQ(player::read_file_limited_discarding(folder / "big.bin", 25'165'824, scratch).value(), 300'000u);
    const std::size_t grown = scratch.size();
    EXPECT_GT(grown, 300'000u);
    // The bytes did pass through the buffer.
    EXPECT_EQ(scratch[299'999], 'b');
    EXPECT_EQ(player::read_file_limited_discarding(folder / "small.bin", 10, scratch).value(), 3u);
    EXPECT_EQ(scratch.size(), grown);

    EXPECT_EQ(player::read_file_limited_discarding(folder / "at.bin", 8192, scratch).value(), 8192u);
    EXPECT_EQ(player::read_file_limited_discarding(folder / "at.bin", 8191, scratch).error().message(),
              "file too large");
    EXPECT_EQ(player::read_file_limited_discarding(folder / "nothing.bin", 10, scratch).error().os_code(),
              ERROR_FILE_NOT_FOUND);
}

TEST(CheckedFolders, AFolderCheckedOnceIsNotReadAgainButItsNeighboursAre) {
    TestFolder scratch;
    const auto link = test::folder_link(scratch);
    if (!link) GTEST_SKIP() << "no folder link can be made here";
    const std::string links = *player::parent_path(*link);
    player::CheckedFolders checked;
    ASSERT_TRUE(player::check_plain_directory_chain(links + "\\real\\inner", checked));
    EXPECT_TRUE(checked.contains(links));
    EXPECT_TRUE(checked.contains(links + "\\real"));
    // The final-path form of a checked folder counts as checked; a sibling does not.
    EXPECT_TRUE(checked.contains("\\\\?\\" + links + "\\real"));
    EXPECT_FALSE(checked.contains(*link));
    EXPECT_FALSE(checked.contains("\\\\?\\" + links + "\\real."));
    for (const std::string& below : {*link, *link + "\\inner"}) {
        const auto refused = player::check_plain_directory_chain(below, checked);
        ASSERT_FALSE(refused) << below;
        EXPECT_EQ(refused.error().message(), test::link_refusal());
    }
}

}  // namespace
