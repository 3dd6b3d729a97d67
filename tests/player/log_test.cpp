#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "player/library/log_file.h"
#include "player/log/log.h"
#include "player/log/log_writer.h"
#include "player/win32/wide.h"
#include "test_folder.h"

namespace {

using test::TestFolder;

TEST(LogRotation, OnlyALogAboveTwoMebibytesIsMovedAside) {
    TestFolder kept;
    test::write_file(kept / "player.log", std::string(2'097'152, 'k'));
    player::rotate_log_if_oversized(kept.path());
    EXPECT_EQ(test::read_file(kept / "player.log").size(), 2'097'152u);
    EXPECT_FALSE(test::exists(kept / "player.previous.log"));

    TestFolder moved;
    test::write_file(moved / "player.log", std::string(2'097'153, 'm'));
    test::write_file(moved / "player.previous.log", "older generation");
    player::rotate_log_if_oversized(moved.path());
    EXPECT_FALSE(test::exists(moved / "player.log"));
    EXPECT_EQ(test::read_file(moved / "player.previous.log").size(), 2'097'153u);
}

TEST(LogRotation, APreviousLogThatCannotBeReplacedLeavesTheLogInPlace) {
    TestFolder folder;
    test::write_file(folder / "player.log", std::string(2'097'153, 'm'));
    test::write_file(folder / "player.previous.log", "held");
    // Open without delete sharing: the previous log cannot be replaced.
    const HANDLE held = ::CreateFileW(win32::to_wide(folder / "player.previous.log").value().c_str(),
                                      GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    player::rotate_log_if_oversized(folder.path());
    ::CloseHandle(held);
    EXPECT_EQ(test::read_file(folder / "player.log").size(), 2'097'153u);
    EXPECT_EQ(test::read_file(folder / "player.previous.log"), "held");
}

TEST(LogFile, OpensForAppendingAndLetsOthersReadWriteAndDelete) {
    TestFolder folder;
    test::write_file(folder / "player.log", "[1] earlier\n");
    auto file = player::open_log_file(folder.path());
    ASSERT_TRUE(file);
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(file->get(), "[2] later\n", 10, &written, nullptr));
    EXPECT_EQ(test::read_file(folder / "player.log"), "[1] earlier\n[2] later\n");

    // Another process (a second start) appends through its own handle.
    auto second = player::open_log_file(folder.path());
    ASSERT_TRUE(second);
    ASSERT_TRUE(::WriteFile(second->get(), "[3] other\n", 10, &written, nullptr));
    ASSERT_TRUE(::WriteFile(file->get(), "[4] first\n", 10, &written, nullptr));
    EXPECT_EQ(test::read_file(folder / "player.log"), "[1] earlier\n[2] later\n[3] other\n[4] first\n");

    // Users may delete or move the log while it is open.
    EXPECT_TRUE(::MoveFileExW(win32::to_wide(folder / "player.log").value().c_str(),
                              win32::to_wide(folder / "moved.log").value().c_str(), 0));
}

// A write that fails before writing anything leaves no broken line behind: the line is
// lost, the log goes on. Text in memory that cannot be read fails that way, as a full
// disk does. A line cut short cannot be brought about here: Wine checks the whole buffer
// before it writes, and its pipes take a write whole or not at all.
TEST(LogWriter, AWriteThatWroteNothingLeavesTheLogUsable) {
    SYSTEM_INFO system{};
    ::GetSystemInfo(&system);
    auto* unreadable = static_cast<char*>(::VirtualAlloc(nullptr, system.dwPageSize, MEM_RESERVE | MEM_COMMIT,
                                                          PAGE_NOACCESS));
    ASSERT_NE(unreadable, nullptr);

    TestFolder folder;
    auto file = player::open_log_file(folder.path());
    ASSERT_TRUE(file);
    player::LogWriter writer(std::move(*file));
    writer.write("[1] first\n");
    writer.write(std::string_view(unreadable, 10));
    EXPECT_TRUE(writer.usable());
    writer.write("[2] second\n");
    EXPECT_EQ(test::read_file(folder / "player.log"), "[1] first\n[2] second\n");
    ::VirtualFree(unreadable, 0, MEM_RELEASE);
}

// A player that runs for weeks: the line that would take the log past its limit starts a
// fresh one, so the log and its predecessor never hold more than twice the limit.
TEST(LogWriter, RotatesWhileRunningBeforeALinePassesTheLimit) {
    TestFolder folder;
    test::write_file(folder / "player.log", std::string(2'097'152 - 10, 'o'));
    test::write_file(folder / "player.previous.log", "older generation");
    player::LogWriter writer(player::open_log_file(folder.path()).value(), player::log_rotation(folder.path()));
    writer.write("[1] fills\n");  // exactly the limit: kept
    EXPECT_EQ(test::read_file(folder / "player.log").size(), 2'097'152u);
    EXPECT_EQ(test::read_file(folder / "player.previous.log"), "older generation");
    writer.write("[2] x\n");  // one line more: moved aside first
    writer.write("[3] y\n");
    EXPECT_EQ(test::read_file(folder / "player.log"), "[2] x\n[3] y\n");
    EXPECT_EQ(test::read_file(folder / "player.previous.log").size(), 2'097'152u);
}

TEST(LogFile, AnUnusableFolderIsAnError) {
    TestFolder folder;
    EXPECT_FALSE(player::open_log_file(folder / "missing"));
}

}  // namespace
