#include "player/library/settings.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "log_capture.h"
#include "player/win32/system_error.h"
#include "player/win32/unique_resource.h"
#include "player/win32/wide.h"
#include "test_folder.h"

namespace {

using player::Config;
using test::TestFolder;

std::wstring wide(const std::string& path) { return win32::to_wide(path).value(); }

const Config kSaved{.package = "C:\\p\\sea.wallpkg", .selected_id = "aurora", .removed = {"tide"}, .fps = 30};
constexpr std::string_view kSavedText =
    "{\n  \"package\": \"C:\\\\p\\\\sea.wallpkg\",\n  \"fps\": 30,\n  \"selected_id\": \"aurora\",\n"
    "  \"removed\": [\n    \"tide\"\n  ]\n}";

TEST(Settings, SavedFilesHaveTheExactLayout) {
    TestFolder data;
    player::save_settings(data.path(), Config{.selected_id = "aurora", .fps = 60});
    EXPECT_EQ(test::read_file(data / "settings.json"),
              "{\n  \"package\": null,\n  \"fps\": 60,\n  \"selected_id\": \"aurora\"\n}");

    player::save_settings(data.path(), kSaved);
    EXPECT_EQ(test::read_file(data / "settings.json"), kSavedText);
    EXPECT_EQ(player::load_settings(data.path()), kSaved);
    EXPECT_FALSE(test::exists(data / "settings.json.tmp"));
}

TEST(Settings, MissingDamagedEmptyOrRepeatedMembersLoadAsDefaults) {
    TestFolder data;
    EXPECT_EQ(player::load_settings(data.path()), Config{});
    for (const char* text : {"", "{\"package\": null,\n  \"fps\": 6", "{\"fps\": 60, \"fps\": 30}", "{}",
                             "{\"removed\": [\"a\"]} trailing", "\n{}\n"}) {
        test::write_file(data / "settings.json", text);
        EXPECT_EQ(player::load_settings(data.path()), Config{}) << text;
    }
    test::remove_tree(data / "settings.json");
    test::make_folder(data / "settings.json");
    EXPECT_EQ(player::load_settings(data.path()), Config{});
}

TEST(Settings, LenientValuesLoadAndTheNextSaveWritesOnlyTheKnownMembers) {
    TestFolder data;
    test::write_file(data / "settings.json", "{\"fps\": 45, \"removed\": [], \"volume\": 3}");
    const Config loaded = player::load_settings(data.path());
    EXPECT_EQ(loaded, Config{.fps = 45});
    player::save_settings(data.path(), loaded);
    EXPECT_EQ(test::read_file(data / "settings.json"),
              "{\n  \"package\": null,\n  \"fps\": 45,\n  \"selected_id\": null\n}");
}

TEST(Settings, APackagePathThatIsNotUnicodeWritesAndLogsNothing) {
    TestFolder data;
    test::write_file(data / "settings.json", kSavedText);
    const test::LogCapture log;
    player::save_settings(data.path(), Config{.package = std::string("C:\\\xFF.wallpkg")});
    EXPECT_EQ(test::read_file(data / "settings.json"), kSavedText);
    EXPECT_TRUE(log.lines().empty());
}

TEST(Settings, AReadOnlyFileIsLoggedAndKeptAndTheCallerKeepsItsSettings) {
    TestFolder data;
    test::write_file(data / "settings.json", kSavedText);
    ASSERT_TRUE(::SetFileAttributesW(wide(data / "settings.json").c_str(), FILE_ATTRIBUTE_READONLY));
    const Config wanted{.selected_id = "other", .fps = 60};
    Config in_memory = wanted;

    const test::LogCapture log;
    player::save_settings(data.path(), in_memory);
    ::SetFileAttributesW(wide(data / "settings.json").c_str(), FILE_ATTRIBUTE_NORMAL);

    const auto lines = log.lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "settings: " + win32::system_error(ERROR_ACCESS_DENIED).chain());
    EXPECT_EQ(in_memory, wanted);
    EXPECT_EQ(test::read_file(data / "settings.json"), kSavedText);
    EXPECT_FALSE(test::exists(data / "settings.json.tmp"));
}

// A save can stop at any step: before the temporary file is complete, or before the
// rename. Either way the settings file still reads as the old settings.
TEST(Settings, AnInterruptedSaveLeavesTheOldFileReadable) {
    TestFolder data;
    test::write_file(data / "settings.json", kSavedText);
    const Config next{.selected_id = "next", .fps = 60};

    // The temporary file cannot be created.
    test::make_folder(data / "settings.json.tmp");
    EXPECT_FALSE(player::write_settings_file(data.path(), next));
    EXPECT_EQ(player::load_settings(data.path()), kSaved);
    test::remove_tree(data / "settings.json.tmp");

    // The rename fails: another program holds the file without delete sharing.
    {
        const win32::unique_file held(::CreateFileW(wide(data / "settings.json").c_str(), GENERIC_READ,
                                                    FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        const auto failed = player::write_settings_file(data.path(), next);
        ASSERT_FALSE(failed);
        EXPECT_TRUE(failed.error().os_code().has_value());
    }
    EXPECT_EQ(player::load_settings(data.path()), kSaved);
    EXPECT_FALSE(test::exists(data / "settings.json.tmp"));

    // A crash left half a temporary file behind: the next save replaces it.
    test::write_file(data / "settings.json.tmp", "{\"package\": nu");
    EXPECT_EQ(player::load_settings(data.path()), kSaved);
    ASSERT_TRUE(player::write_settings_file(data.path(), next));
    EXPECT_EQ(player::load_settings(data.path()), next);
    EXPECT_FALSE(test::exists(data / "settings.json.tmp"));
}

}  // namespace
