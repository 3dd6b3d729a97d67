#include <gtest/gtest.h>

#include "core/web/readiness.h"
#include "core/web/state_push.h"

namespace {

using namespace std::chrono_literals;
using core::MonotonicTime;

const MonotonicTime kStart = MonotonicTime{} + 1000s;

TEST(ReadinessLimit, FiresAfterFifteenWholeSecondsOnceAndSetsFailed) {
    core::BridgeFlags flags;
    std::optional<MonotonicTime> load_start = kStart;
    EXPECT_FALSE(core::check_readiness_limit(load_start, flags, kStart + 14999ms));
    EXPECT_FALSE(flags.failed);
    EXPECT_EQ(load_start, kStart);

    EXPECT_TRUE(core::check_readiness_limit(load_start, flags, kStart + 15s));
    EXPECT_TRUE(flags.failed);
    EXPECT_EQ(load_start, std::nullopt);
    // Once per host: nothing to measure from any more.
    EXPECT_FALSE(core::check_readiness_limit(load_start, flags, kStart + 60s));
}

TEST(ReadinessLimit, AReadyOrFailedPageOrNoLoadNeverTimesOut) {
    core::BridgeFlags ready;
    ready.ready = true;
    std::optional<MonotonicTime> load_start = kStart;
    EXPECT_FALSE(core::check_readiness_limit(load_start, ready, kStart + 1h));
    EXPECT_FALSE(ready.failed);
    EXPECT_EQ(load_start, kStart);

    // Ready, then a resource failed: the ready flag is clear again, but the page opened.
    core::BridgeFlags failed;
    failed.failed = true;
    EXPECT_FALSE(core::check_readiness_limit(load_start, failed, kStart + 1h));
    EXPECT_EQ(load_start, kStart);

    core::BridgeFlags idle;
    std::optional<MonotonicTime> none;
    EXPECT_FALSE(core::check_readiness_limit(none, idle, kStart + 1h));
    EXPECT_FALSE(idle.failed);
}

TEST(ReadinessLimit, TextsOfTheTimeout) {
    EXPECT_EQ(core::kReadinessTimeoutLog, "wallpaper ready timeout after 15 seconds");
    EXPECT_EQ(core::kReadinessTimeoutStatus,
              "壁纸在 15 秒内没有完成打开。请确认文件夹完整且 WebView2 可用，再点击“设为桌面壁纸”重试。");
}

core::StatePushInputs live_page() {
    return core::StatePushInputs{.ready = true, .host_is_window = true, .settings_fps = 30, .manifest_fps = 60};
}

TEST(StatePush, OnlyAReadyUnfailedPageInALiveHostIsTold) {
    const core::LastPushedState never;
    EXPECT_EQ(core::decide_state_push(live_page(), never), (core::PlayerState{.fps = 30, .paused = false}));
    auto not_ready = live_page();
    not_ready.ready = false;
    EXPECT_EQ(core::decide_state_push(not_ready, never), std::nullopt);
    auto failed = live_page();
    failed.failed = true;
    EXPECT_EQ(core::decide_state_push(failed, never), std::nullopt);
    auto gone = live_page();
    gone.host_is_window = false;
    EXPECT_EQ(core::decide_state_push(gone, never), std::nullopt);
}

TEST(StatePush, UnchangedPairPushesNothingAndAResetPushesAgain) {
    core::LastPushedState last;
    auto pushed = core::decide_state_push(live_page(), last);
    ASSERT_TRUE(pushed);
    core::record_push(last, *pushed);
    EXPECT_EQ(core::decide_state_push(live_page(), last), std::nullopt);

    auto paused = live_page();
    paused.any_pause_reason = true;
    auto toggled = core::decide_state_push(paused, last);
    ASSERT_TRUE(toggled);
    EXPECT_TRUE(toggled->paused);
    core::record_push(last, *toggled);
    EXPECT_EQ(core::decide_state_push(paused, last), std::nullopt);

    auto faster = paused;
    faster.settings_fps = 60;
    EXPECT_EQ(core::decide_state_push(faster, last), (core::PlayerState{.fps = 60, .paused = true}));

    // The pause command resets the memory, so even an equal pair goes out once more.
    last.reset();
    EXPECT_EQ(last, core::LastPushedState{});
    EXPECT_EQ(core::decide_state_push(paused, last), (core::PlayerState{.fps = 30, .paused = true}));
}

TEST(StatePush, OcclusionCountsOnlyWhileMountedWithoutAPauseReason) {
    int asked = 0;
    auto covered = live_page();
    covered.desktop_covered = [&asked] {
        ++asked;
        return true;
    };
    EXPECT_FALSE(core::decide_state_push(covered, {})->paused);
    EXPECT_EQ(asked, 0);
    covered.mounted = true;
    EXPECT_TRUE(core::decide_state_push(covered, {})->paused);
    EXPECT_EQ(asked, 1);
    covered.any_pause_reason = true;
    EXPECT_TRUE(core::decide_state_push(covered, {})->paused);
    EXPECT_EQ(asked, 1);
}

TEST(StatePush, FrameRateChoice) {
    EXPECT_EQ(core::playback_fps(30, 60), 30u);
    EXPECT_EQ(core::playback_fps(60, 30), 60u);
    EXPECT_EQ(core::playback_fps(0, 60), 60u);
    EXPECT_EQ(core::playback_fps(45, 60), 60u);
    EXPECT_EQ(core::playback_fps(0, std::nullopt), 30u);
}

TEST(StatePush, LogLineAndTickInterval) {
    EXPECT_EQ(core::state_push_log_line({.fps = 60, .paused = true}), "state paused=true fps=60");
    EXPECT_EQ(core::state_push_log_line({.fps = 30, .paused = false}), "state paused=false fps=30");
    EXPECT_EQ(core::tick_interval(true), 500ms);
    EXPECT_EQ(core::tick_interval(false), 33ms);
}

}  // namespace
