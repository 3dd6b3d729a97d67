// What the controller does when the page's browser process dies, and the tray's exit.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "child_process.h"
#include "controller_fixture.h"
#include "core/shell/commands.h"
#include "core/shell/status_text.h"
#include "player/canvas/panel_palette.h"
#include "player/shell/message_loop.h"

namespace {

using namespace std::chrono_literals;

class PageProcessTest : public test::ControllerFixture {
protected:
    void adjust_setup(player::ControllerSetup& setup) override {
        setup.clock = [this] { return now_; };
    }

    // The page's browser reports the failure as the WebView layer does.
    void fail(const test::FakePage& page) {
        page.config().on_process_failed("render process exited");
        controller_->handle_event({player::MSG_PAGE_PROCESS_FAILED, 0, {}});
    }
    void tick_after(std::chrono::seconds wait) {
        now_ += wait;
        controller_->refresh_playback();
    }

    core::MonotonicTime now_ = std::chrono::steady_clock::now();
};

TEST_F(PageProcessTest, ADeadPageIsRebuiltAtTheRecoveryPaceAndGivenUpAfterThreeFailuresInAMinute) {
    play_first();
    test::FakePage& first = *layer_.last_page();
    fail(first);
    EXPECT_TRUE(logged("wallpaper page process failed: render process exited"));
    EXPECT_TRUE(first.destroyed());
    // The preview window stays, painted with a notice instead of the dead page.
    ASSERT_TRUE(::IsWindow(first.parent()));
    EXPECT_TRUE(logged("wallpaper host shows a notice until its page is built again"));
    ::UpdateWindow(first.parent());
    const HDC screen = ::GetDC(first.parent());
    EXPECT_EQ(::GetPixel(screen, 4, 4), player::palette::kWindow);
    ::ReleaseDC(first.parent(), screen);
    // A second notice about the same page counts nothing more.
    fail(first);

    // The rebuild waits for the recovery step's pacing: five seconds after the last build.
    tick_after(2s);
    EXPECT_EQ(layer_.pages().size(), 1u);
    tick_after(3s);
    ASSERT_EQ(layer_.pages().size(), 2u);
    EXPECT_FALSE(layer_.last_page()->destroyed());
    // A notice from the page already replaced is stale.
    fail(first);
    EXPECT_FALSE(layer_.last_page()->destroyed());

    fail(*layer_.last_page());
    tick_after(5s);
    ASSERT_EQ(layer_.pages().size(), 3u);
    EXPECT_FALSE(controller_->status_text());

    fail(*layer_.last_page());
    EXPECT_EQ(count_lines("page process: the wallpaper page's process failed 3 times within a minute; "), 1u);
    EXPECT_EQ(controller_->status_text(), std::string(core::kPageProcessFailureStatus));
    // Given up: neither the recovery step nor the readiness limit touches it any more.
    for (int i = 0; i < 6; ++i) tick_after(10s);
    EXPECT_EQ(layer_.pages().size(), 3u);
    EXPECT_EQ(controller_->status_text(), std::string(core::kPageProcessFailureStatus));

    // The user's retry builds again and starts the count afresh.
    controller_->dispatch(core::CMD_WINDOW_PREVIEW);
    ASSERT_EQ(layer_.pages().size(), 4u);
    EXPECT_FALSE(controller_->status_text());
    fail(*layer_.last_page());
    tick_after(5s);
    EXPECT_EQ(layer_.pages().size(), 5u);
    EXPECT_FALSE(controller_->status_text());
}

using TrayMenuTest = test::ControllerFixture;

// Picks the menu's last item, "退出", once the menu is up.
void choose_exit_from_menu(std::atomic<bool>& chosen) {
    for (int tries = 0; tries < 200 && !chosen; ++tries) {
        std::this_thread::sleep_for(25ms);
        const HWND menu = ::FindWindowW(L"#32768", nullptr);
        if (menu == nullptr || !::IsWindowVisible(menu)) continue;
        ::PostMessageW(menu, WM_KEYDOWN, VK_UP, 0);
        ::PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
        chosen = true;
    }
}

TEST_F(TrayMenuTest, ExitFromTheTrayMenuDropsTheEventsStillQueued) {
    play_first();
    player::queue_event({player::MSG_TRAY_MENU, 0, {}});
    player::queue_event({WM_COMMAND, core::CMD_FPS_30, {}});
    std::atomic<bool> chosen{false};
    std::thread picker(choose_exit_from_menu, std::ref(chosen));
    const auto ran = player::run_message_loop(*controller_);
    picker.join();
    ASSERT_TRUE(chosen) << "the tray menu never appeared";
    ASSERT_TRUE(ran);
    EXPECT_EQ(count_lines("tray menu closed command=107 "), 1u);
    EXPECT_EQ(count_lines("control command=108"), 0u);
    EXPECT_FALSE(player::pop_event());
}

}  // namespace
