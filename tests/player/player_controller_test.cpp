#include "player/shell/player_controller.h"

#include <gtest/gtest.h>

#include "controller_fixture.h"
#include "core/shell/commands.h"
#include "core/shell/status_text.h"
#include "player/library/paths.h"
#include "player/windows/host_build.h"

namespace {

using PlayerControllerTest = test::ControllerFixture;

TEST_F(PlayerControllerTest, FirstStartPlaysTheFirstEntryAndPushesItsStateOnce) {
    play_first();
    EXPECT_EQ(layer_.last_page()->config().start_url, "wlp://localhost/index.html");
    EXPECT_EQ(count_lines("free library load: id=alpha path="), 1u);
    EXPECT_TRUE(logged("state paused=false fps=60"));
    EXPECT_EQ(state_scripts(), 1u);
    EXPECT_EQ(layer_.last_page()->executed_scripts().back(),
              R"(window.__tessaryDispatch("state",{"fps":60,"paused":false,"volume":0});)");
    // Nothing changed: later ticks push nothing.
    controller_->refresh_playback();
    controller_->refresh_playback();
    EXPECT_EQ(state_scripts(), 1u);
}

TEST_F(PlayerControllerTest, PauseTwicePushesTwiceAndFrameRateIsSaved) {
    play_first();
    controller_->dispatch(core::CMD_TOGGLE_PAUSE);
    EXPECT_TRUE(logged("state paused=true fps=60"));
    controller_->dispatch(core::CMD_TOGGLE_PAUSE);
    EXPECT_EQ(count_lines("state paused=false fps=60"), 2u);
    controller_->dispatch(core::CMD_FPS_30);
    EXPECT_TRUE(logged("state paused=false fps=30"));
    EXPECT_EQ(state_scripts(), 4u);
    EXPECT_NE(test::read_file(player::join_path(data_, "settings.json")).find("\"fps\": 30"), std::string::npos);
    EXPECT_EQ(count_lines("control command="), 3u);
}

TEST_F(PlayerControllerTest, UnofferedCommandsAreOnlyLogged) {
    play_first();
    const std::size_t before = log_.lines().size();
    controller_->dispatch(core::CMD_UNOFFERED_LAST);
    EXPECT_EQ(log_.lines().size(), before + 1);
    EXPECT_EQ(log_.lines().back(), "control command=105");
}

TEST_F(PlayerControllerTest, ASelectionThatIsNotInstalledLeavesThePlayingWallpaper) {
    play_first();
    const std::size_t pages = layer_.pages().size();
    player::queue_event({player::MSG_SELECT_WALLPAPER, 0, core::validate_requested_id("gamma").value()});
    controller_->handle_event(*player::pop_event());
    EXPECT_TRUE(logged("select wallpaper: 指定壁纸未安装或未通过验证"));
    EXPECT_EQ(controller_->status_text(), std::string(core::kGenericFailureStatus));
    EXPECT_EQ(layer_.pages().size(), pages);
    EXPECT_FALSE(layer_.last_page()->destroyed());
}

TEST_F(PlayerControllerTest, HandedOverSelectionRebuildsTheHostForTheNewWallpaper) {
    play_first();
    controller_->handle_event({player::MSG_SELECT_WALLPAPER, 0, core::validate_requested_id("beta").value()});
    EXPECT_EQ(count_lines("free library load: id=beta"), 1u);
    EXPECT_EQ(layer_.pages().size(), 2u);
    EXPECT_TRUE(layer_.pages().front()->destroyed());
    // The new page starts over: no state until it reports readiness.
    controller_->refresh_playback();
    EXPECT_EQ(state_scripts(), 0u);
    ASSERT_TRUE(layer_.last_page()->post_message("ready"));
    controller_->refresh_playback();
    EXPECT_TRUE(logged("state paused=false fps=30"));
    EXPECT_NE(test::read_file(player::join_path(data_, "settings.json")).find("\"selected_id\": \"beta\""),
              std::string::npos);
}

TEST_F(PlayerControllerTest, AMissingBrowserShowsTheWebView2Text) {
    layer_.fail_creation(core::Error(std::string(player::kWebViewUnavailableMessage), core::Error("0x80070002")));
    // The start plays from the listing it has just built: a refused folder is logged once.
    test::make_folder(player::join_path(library_folder(), "refused"));
    controller_->reload_library();
    controller_->start_first_wallpaper(std::nullopt);
    EXPECT_EQ(controller_->status_text(), std::string(core::kWebView2FailureStatus));
    EXPECT_EQ(count_lines("startup: WebView2 初始化失败。"), 1u);
    EXPECT_EQ(count_lines("library rejected item: "), 1u);
}

TEST_F(PlayerControllerTest, AnEmptyLibraryIsReportedAtStart) {
    test::remove_tree(player::join_path(data_, "library\\alpha"));
    test::remove_tree(player::join_path(data_, "library\\beta"));
    controller_->reload_library();
    controller_->start_first_wallpaper(std::nullopt);
    EXPECT_TRUE(logged("startup: 壁纸库还没有作品。请安装壁纸，或完整解压含 wallpapers 文件夹的便携版后运行。"));
    EXPECT_EQ(controller_->status_text(), std::string(core::kGenericFailureStatus));
    EXPECT_EQ(layer_.last_page(), nullptr);
}

TEST_F(PlayerControllerTest, AFailedPageGetsTheResourceTextAndTeardownIsClean) {
    play_first();
    ASSERT_TRUE(layer_.last_page()->post_message("asset-error"));
    controller_->handle_event({player::MSG_REFRESH_CONTROL, 0, {}});
    EXPECT_EQ(controller_->status_text(), std::string(core::kResourceFailureStatus));
    const HWND controller_window = controller_->controller_window();
    const HWND host = layer_.last_page()->parent();
    controller_.reset();
    EXPECT_EQ(log_.lines().back(), "clean shutdown");
    EXPECT_TRUE(layer_.pages().back()->destroyed());
    // The browser goes before its window, and the controller window last of all.
    EXPECT_TRUE(layer_.pages().back()->parent_alive_at_close());
    EXPECT_FALSE(::IsWindow(host));
    EXPECT_FALSE(::IsWindow(controller_window));
}

}  // namespace
