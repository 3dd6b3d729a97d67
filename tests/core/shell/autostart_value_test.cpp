#include "core/shell/autostart_value.h"

#include <gtest/gtest.h>

namespace {

using core::AutostartChange;

std::string invalid_reason(std::string_view path) {
    const auto value = core::autostart_value(path);
    return value ? "accepted: " + *value : value.error().message();
}

TEST(AutostartValue, IsTheQuotedPathFollowedByTheStartupSwitch) {
    EXPECT_EQ(core::autostart_value("C:\\Programs\\Tessary\\tessary.exe"),
              "\"C:\\Programs\\Tessary\\tessary.exe\" --startup");
    EXPECT_EQ(core::autostart_value("d:\\a b\\tessary.exe"), "\"d:\\a b\\tessary.exe\" --startup");
    EXPECT_EQ(core::autostart_value("\\\\server\\share\\tessary.exe"), "\"\\\\server\\share\\tessary.exe\" --startup");
    EXPECT_EQ(core::autostart_value("\\\\?\\C:\\long\\tessary.exe"), "\"\\\\?\\C:\\long\\tessary.exe\" --startup");
    EXPECT_EQ(core::autostart_value("C:\\壁纸\\\xF0\x9F\x8C\x8A\\tessary.exe"),
              "\"C:\\壁纸\\\xF0\x9F\x8C\x8A\\tessary.exe\" --startup");
    // The first character past each control range is ordinary text.
    EXPECT_EQ(core::autostart_value("C:\\ ~\xC2\xA0.exe"), "\"C:\\ ~\xC2\xA0.exe\" --startup");
}

TEST(AutostartValue, PathsThatAreNotAbsoluteAreRefused) {
    for (const char* path : {"", "tessary.exe", "Tessary\\tessary.exe", "C:tessary.exe", "C:", "\\tessary.exe",
                             "C:/Tessary/tessary.exe", "/opt/tessary.exe", "1:\\tessary.exe", "\\\\server",
                             "\\\\server\\share", "\\\\\\share\\tessary.exe", "\\\\server\\\\tessary.exe",
                             "\xC3\x84:\\tessary.exe"}) {
        EXPECT_EQ(invalid_reason(path), "启动程序路径无效") << path;
    }
}

TEST(AutostartValue, ControlCharactersQuotesAndBrokenTextAreRefused) {
    using namespace std::string_literals;
    for (const std::string& path :
         {"C:\\a\x01.exe"s, "C:\\a\x1F.exe"s, "C:\\a\x7F.exe"s, "C:\\a\xC2\x80.exe"s, "C:\\a\xC2\x9F.exe"s,
          "C:\\a\0.exe"s, "C:\\a\t.exe"s, "C:\\a\".exe"s, "\"C:\\a.exe"s, "C:\\a\xFF.exe"s, "C:\\a\xC2"s,
          "C:\\a\xED\xA0\x80.exe"s}) {
        EXPECT_EQ(invalid_reason(path), "启动程序路径无效") << path;
    }
}

// The value has to fit the 8,192-byte read buffer with its terminating zero (4,095 units),
// counted in UTF-16 units, not in bytes of UTF-8.
TEST(AutostartValue, AValueThatCouldNotBeReadBackIsRefused) {
    const std::size_t fixed_units = 3 + 2 + core::kAutostartArgument.size();  // "C:\", quotes, switch
    const std::size_t room = core::kMaxAutostartValueUnits - fixed_units;
    ASSERT_EQ(core::kMaxAutostartValueUnits, 4095u);

    const auto longest = core::autostart_value("C:\\" + std::string(room, 'a'));
    ASSERT_TRUE(longest);
    EXPECT_EQ(longest->size(), 4095u);
    EXPECT_EQ(invalid_reason("C:\\" + std::string(room + 1, 'a')), "启动程序路径无效");

    // A three-byte character is one unit, a four-byte one two.
    EXPECT_TRUE(core::autostart_value("C:\\" + std::string(room - 1, 'a') + "壁"));
    EXPECT_TRUE(core::autostart_value("C:\\" + std::string(room - 2, 'a') + "\xF0\x9F\x8C\x8A"));
    EXPECT_EQ(invalid_reason("C:\\" + std::string(room - 1, 'a') + "\xF0\x9F\x8C\x8A"), "启动程序路径无效");
}

TEST(AutostartStatus, OnlyAnEqualValueCountsAsOn) {
    const std::string expected = "\"C:\\T\\tessary.exe\" --startup";
    EXPECT_TRUE(core::autostart_enabled(expected, expected));
    EXPECT_FALSE(core::autostart_enabled(std::nullopt, expected));
    EXPECT_FALSE(core::autostart_enabled(std::string(), expected));
    EXPECT_FALSE(core::autostart_enabled("\"c:\\t\\TESSARY.EXE\" --startup", expected));
    EXPECT_FALSE(core::autostart_enabled("\"C:\\T\\tessary.exe\"", expected));
    EXPECT_FALSE(core::autostart_enabled(expected + " ", expected));
}

TEST(AutostartToggle, OwnOrMissingValuesFollowTheBoxAndForeignOnesAreLeftAlone) {
    const std::string expected = "\"C:\\T\\tessary.exe\" --startup";
    const std::string foreign = "\"D:\\Other\\tessary.exe\" --startup";
    const std::string other_case = "\"c:\\t\\tessary.exe\" --startup";
    EXPECT_EQ(core::plan_autostart_change(std::nullopt, expected, true), AutostartChange::write);
    EXPECT_EQ(core::plan_autostart_change(std::nullopt, expected, false), AutostartChange::none);
    EXPECT_EQ(core::plan_autostart_change(expected, expected, true), AutostartChange::write);
    EXPECT_EQ(core::plan_autostart_change(expected, expected, false), AutostartChange::remove);
    for (const bool wanted : {true, false}) {
        for (const std::string& current : {foreign, std::string(), other_case}) {
            const auto change = core::plan_autostart_change(current, expected, wanted);
            ASSERT_FALSE(change) << current;
            EXPECT_EQ(change.error().message(), "已有不同位置的 Tessary 启动项，请先在原程序取消开机启动");
            EXPECT_EQ(change.error().cause(), nullptr);
        }
    }
}

}  // namespace
