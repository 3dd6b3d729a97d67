// Clicks that are too old for the page: the whole-program tests press the real mouse,
// but only a stall between the press and its handling makes one stale, which a test
// cannot cause from outside.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "controller_fixture.h"

namespace {

using namespace std::chrono_literals;
using ClickTest = test::ControllerFixture;

std::size_t click_scripts(const test::FakePage& page) {
    const auto& scripts = page.executed_scripts();
    return static_cast<std::size_t>(std::count_if(scripts.begin(), scripts.end(), [](const std::string& script) {
        return script.starts_with("window.__tessaryDispatch(\"click\"");
    }));
}

TEST_F(ClickTest, OnlyPressesOfTheLastSecondSinceThePageLoadedReachThePreview) {
    play_first();
    test::FakePage& page = *layer_.last_page();
    const HWND host = page.parent();
    ::SetForegroundWindow(host);
    const auto press_at = [&](HWND window, std::chrono::steady_clock::time_point time) {
        RECT client{};
        ::GetClientRect(window, &client);
        POINT centre{client.right / 2, client.bottom / 2};
        ::ClientToScreen(window, &centre);
        player::ClickRecord click{centre, window, window, time};
        controller_->handle_event(player::ControllerEvent{player::MSG_DESKTOP_CLICK, 0, click});
    };
    const auto before_load = std::chrono::steady_clock::now();

    press_at(host, std::chrono::steady_clock::now() - 1500ms);  // handled after a long stall
    EXPECT_EQ(click_scripts(page), 0u);
    press_at(host, std::chrono::steady_clock::now());
    ASSERT_EQ(click_scripts(page), 1u);
    EXPECT_TRUE(page.executed_scripts().back().starts_with(R"(window.__tessaryDispatch("click",{"x":0.5,"y":0.)"));

    // A press made before the current page started loading never reaches it.
    ASSERT_TRUE(controller_->select_by_id(core::validate_requested_id("beta").value()));
    test::FakePage& next = *layer_.last_page();
    ASSERT_TRUE(next.post_message("ready"));
    ::SetForegroundWindow(next.parent());
    press_at(next.parent(), before_load);
    EXPECT_EQ(click_scripts(next), 0u);
    press_at(next.parent(), std::chrono::steady_clock::now());
    EXPECT_EQ(click_scripts(next), 1u);
}

}  // namespace
