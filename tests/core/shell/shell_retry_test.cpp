#include "core/shell/shell_retry.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using core::kShellRetryInterval;

TEST(ShellRetry, TriesEveryIntervalWithinThePeriodAndAHiddenPlayerWithoutIconShowsAfterTheLimit) {
    core::ShellRetrySchedule schedule;
    const core::MonotonicTime t0{};
    EXPECT_FALSE(schedule.due(t0 + 1h));  // nothing failed
    schedule.start(t0);
    EXPECT_FALSE(schedule.due(t0 + kShellRetryInterval - 1ms));
    EXPECT_TRUE(schedule.due(t0 + kShellRetryInterval));
    EXPECT_FALSE(schedule.due(t0 + kShellRetryInterval + 1s));
    EXPECT_TRUE(schedule.due(t0 + core::kShellRetryPeriod));
    EXPECT_FALSE(schedule.due(t0 + core::kShellRetryPeriod + kShellRetryInterval));
    EXPECT_FALSE(schedule.active());  // "TaskbarCreated" starts the next period

    EXPECT_TRUE(core::hidden_player_must_show(true, false, core::kHiddenWithoutIconLimit));
    EXPECT_FALSE(core::hidden_player_must_show(true, false, core::kHiddenWithoutIconLimit - 1ms));
    EXPECT_FALSE(core::hidden_player_must_show(true, true, 1h));
    EXPECT_FALSE(core::hidden_player_must_show(false, false, 1h));
}

}  // namespace
