#include "core/log/log_format.h"

#include <gtest/gtest.h>

namespace {

TEST(LogFormat, LineIsSecondsBracketedThenMessageAndLineFeed) {
    EXPECT_EQ(core::format_log_line(10, "clean shutdown"), "[10] clean shutdown\n");
    EXPECT_EQ(core::format_log_line(1796630400, "a"), "[1796630400] a\n");
    EXPECT_EQ(core::format_log_line(-5, "before 1970"), "[0] before 1970\n");
    // Line breaks inside a message are written as they are.
    EXPECT_EQ(core::format_log_line(1, "two\r\nlines"), "[1] two\r\nlines\n");
}

TEST(LogFormat, FiletimeConvertsToUnixSecondsAndClampsBefore1970) {
    constexpr std::uint64_t kEpochTicks = 116'444'736'000'000'000ull;
    EXPECT_EQ(core::unix_seconds_from_filetime(kEpochTicks), 0);
    EXPECT_EQ(core::unix_seconds_from_filetime(kEpochTicks + 10 * 10'000'000ull + 9'999'999), 10);
    EXPECT_EQ(core::unix_seconds_from_filetime(0), 0);
    EXPECT_EQ(core::unix_seconds_from_filetime(kEpochTicks - 1), 0);
}

TEST(LogFormat, RotationStartsAboveTwoMebibytes) {
    EXPECT_FALSE(core::log_needs_rotation(2'097'152));
    EXPECT_TRUE(core::log_needs_rotation(2'097'153));
    EXPECT_FALSE(core::log_needs_rotation(0));
}

}  // namespace
