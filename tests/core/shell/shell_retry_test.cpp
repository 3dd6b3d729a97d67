#include "core/shell/shell_retry.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

TEST(ShellRetrySchedule, TriesEveryIntervalUntilThePeriodEndsAndStartsAgainOnRequest) {
    core::ShellRetrySchedule schedule;
    const core::MonotonicTime t0{};
    EXPECT_FALSE(schedule.due(t0));  // nothing failed
    schedule.start(t0);
    EXPECT_TRUE(schedule.active());
    EXPECT_FALSE(schedule.due(t0 + core::kShellRetryInterval - 1ms));
    EXPECT_TRUE(schedule.due(t0 + core::kShellRetryInterval));
    EXPECT_FALSE(schedule.due(t0 + core::kShellRetryInterval + 1s));
    EXPECT_TRUE(schedule.due(t0 + 2 * core::kShellRetryInterval));
    // The last try falls at the period's end; past it the schedule stops by itself.
    EXPECT_TRUE(schedule.due(t0 + core::kShellRetryPeriod));
    EXPECT_FALSE(schedule.due(t0 + core::kShellRetryPeriod + core::kShellRetryInterval));
    EXPECT_FALSE(schedule.active());
    // "TaskbarCreated" starts a new period.
    const core::MonotonicTime later = t0 + 1h;
    schedule.start(later);
    EXPECT_TRUE(schedule.due(later + core::kShellRetryInterval));
    schedule.stop();
    EXPECT_FALSE(schedule.due(later + 2 * core::kShellRetryInterval));
}

TEST(HiddenPlayer, ShowsOnlyWhenStartedHiddenWithoutAnIconPastTheLimit) {
    EXPECT_TRUE(core::hidden_player_must_show(true, false, core::kHiddenWithoutIconLimit));
    EXPECT_FALSE(core::hidden_player_must_show(true, false, core::kHiddenWithoutIconLimit - 1ms));
    EXPECT_FALSE(core::hidden_player_must_show(true, true, 1h));
    EXPECT_FALSE(core::hidden_player_must_show(false, false, 1h));
}

}  // namespace
