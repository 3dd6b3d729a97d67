#include "core/library/library.h"

#include <gtest/gtest.h>

#include "core/library/package_store.h"
#include "core/library/staging_name.h"

namespace {

using core::LibraryEntry;

std::vector<std::string> ids(const std::vector<LibraryEntry>& entries) {
    std::vector<std::string> result;
    for (const LibraryEntry& entry : entries) result.push_back(entry.id);
    return result;
}

TEST(LibraryOrder, IdsSortByBytesWithPrefixesFirstAndTiesKeepTheirOrder) {
    std::vector<LibraryEntry> entries = {{"a", "1", "x"}, {"B", "", ""}, {"A-1", "", ""}, {"a", "2", "y"},
                                         {"A", "", ""},   {"_", "", ""}, {"0", "", ""}};
    core::sort_library_entries(entries);
    EXPECT_EQ(ids(entries), (std::vector<std::string>{"0", "A", "A-1", "B", "_", "a", "a"}));
    EXPECT_EQ(entries[5].name, "1");
    EXPECT_EQ(entries[6].name, "2");
}

TEST(LibraryTexts, RejectionsCarryThePathAndTheChainAndAreCountedInTheNotice) {
    const core::Error error("wallpaper folder must match manifest ID", core::Error("inner"));
    EXPECT_EQ(core::rejection_text("C:\\lib\\Foo", error),
              "C:\\lib\\Foo: wallpaper folder must match manifest ID: inner");
    EXPECT_EQ(core::library_notice(0), std::nullopt);
    EXPECT_EQ(core::library_notice(1), "已跳过 1 个未通过验证的作品，详细原因见日志。");
    EXPECT_EQ(core::library_notice(12), "已跳过 12 个未通过验证的作品，详细原因见日志。");
    EXPECT_EQ(core::library_size_message(), "wallpaper library exceeds 128 items");
}

TEST(ChooseEntry, ARequestedIdMustBeValidAndInstalled) {
    const std::vector<LibraryEntry> entries = {{"aurora", "A", "f1"}, {"tide", "T", "f2"}};
    EXPECT_EQ(core::choose_entry(entries, "tide", "aurora").value()->folder, "f2");
    EXPECT_EQ(core::choose_entry(entries, "Tide", std::nullopt).error().message(), "指定壁纸未安装或未通过验证");
    EXPECT_EQ(core::choose_entry(entries, "two words", std::nullopt).error().message(), "invalid wallpaper ID");
    EXPECT_EQ(core::choose_entry(entries, ".hidden", std::nullopt).error().message(), "invalid wallpaper ID");
    EXPECT_EQ(core::choose_entry(entries, std::string(101, 'a'), std::nullopt).error().message(),
              "invalid wallpaper ID");
    EXPECT_EQ(core::choose_entry(entries, "aux", std::nullopt).error().message(), "reserved Windows asset path");
    EXPECT_EQ(core::choose_entry({}, "tide", std::nullopt).error().message(), "指定壁纸未安装或未通过验证");
}

TEST(ChooseEntry, WithoutARequestTheRememberedIdThenTheFirstEntryThenNone) {
    const std::vector<LibraryEntry> entries = {{"aurora", "A", "f1"}, {"tide", "T", "f2"}};
    EXPECT_EQ(core::choose_entry(entries, std::nullopt, "tide").value()->id, "tide");
    EXPECT_EQ(core::choose_entry(entries, std::nullopt, "gone").value()->id, "aurora");
    EXPECT_EQ(core::choose_entry(entries, std::nullopt, std::nullopt).value()->id, "aurora");
    EXPECT_EQ(core::choose_entry({}, std::nullopt, "tide").value(), std::nullopt);
}

TEST(StagingName, ProcessTimeAndCounterInDecimal) {
    EXPECT_EQ(core::staging_folder_name(4242, 1733561234123456789ull, 0),
              ".tessary-import-4242-1733561234123456789-0");
    EXPECT_EQ(core::staging_folder_name(1, 2, 18446744073709551615ull), ".tessary-import-1-2-18446744073709551615");
}

TEST(PackageStore, OnlyExactHashNamesCountAsStoredCopies) {
    const std::string hash(64, 'a');
    EXPECT_EQ(core::stored_package_name(hash), hash + ".wallpkg");
    EXPECT_TRUE(core::is_stored_package_name("0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef.wallpkg"));
    EXPECT_FALSE(core::is_stored_package_name("0123456789Abcdef0123456789abcdef0123456789abcdef0123456789abcdef.wallpkg"));
    EXPECT_FALSE(core::is_stored_package_name(hash + ".WALLPKG"));
    EXPECT_FALSE(core::is_stored_package_name(std::string(63, 'a') + ".wallpkg"));
    EXPECT_FALSE(core::is_stored_package_name(std::string(65, 'a') + ".wallpkg"));
    EXPECT_FALSE(core::is_stored_package_name(std::string(63, 'a') + "g.wallpkg"));
    EXPECT_FALSE(core::is_stored_package_name(hash + ".wallpkg.tmp"));
}

TEST(PackageStore, RoomForEightCopiesAndHalfAGibibyteWithSaturatingSums) {
    EXPECT_TRUE(core::package_store_has_room(7, 0, 1));
    EXPECT_FALSE(core::package_store_has_room(8, 0, 1));
    EXPECT_TRUE(core::package_store_has_room(0, 536'870'000, 912));
    EXPECT_FALSE(core::package_store_has_room(0, 536'870'000, 913));
    EXPECT_FALSE(core::package_store_has_room(1, ~0ull, 5));
    EXPECT_EQ(core::saturating_add(~0ull - 1, 5), ~0ull);
    EXPECT_EQ(core::saturating_add(2, 3), 5u);
}

}  // namespace
