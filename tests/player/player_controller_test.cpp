#include "player/shell/player_controller.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "core/shell/status_text.h"
#include "core/startup/instance.h"
#include "fake_web_layer.h"
#include "log_capture.h"
#include "player/library/paths.h"
#include "player/windows/host_build.h"
#include "player/windows/host_window.h"
#include "publisher_key.h"
#include "test_folder.h"
#include "window_classes.h"

namespace {

void write_wallpaper(const std::string& library, const std::string& id, unsigned fps) {
    const std::string folder = player::join_path(library, id);
    test::make_folder(folder);
    test::write_file(player::join_path(folder, "manifest.json"),
                     R"({"id": ")" + id + R"(", "name": ")" + id + R"(", "version": 1, "entry": "index.html", "fps": )" +
                         std::to_string(fps) + "}");
    test::write_file(player::join_path(folder, "index.html"), "<!doctype html><title>" + id + "</title>");
}

// The controller over a data folder with two installed wallpapers and the stand-in browser,
// in preview mode (Wine has no Explorer desktop).
class PlayerControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(test::ensure_window_class(player::kControllerWindowClass, player::register_controller_window_class));
        ASSERT_TRUE(test::ensure_window_class(player::kHostWindowClass, player::register_host_window_class));
        data_ = root_ / "D";
        test::make_folder(data_);
        test::make_folder(player::join_path(data_, "packages"));
        test::make_folder(player::join_path(data_, "library"));
        write_wallpaper(player::join_path(data_, "library"), "alpha", 60);
        write_wallpaper(player::join_path(data_, "library"), "beta", 30);

        auto window = player::ControllerWindow::create("Tessary-test-controller-" + std::to_string(::GetCurrentProcessId()));
        ASSERT_TRUE(window);
        controller_.emplace(player::ControllerSetup{.data_folder = data_,
                                                    .controller_window = std::move(*window),
                                                    .publisher_key = core::parse_publisher_key(kBuiltInPublisherKey).value(),
                                                    .desktop_wanted = false,
                                                    .startup = false,
                                                    .web_layer = layer_});
        controller_->reload_library();
    }
    void TearDown() override {
        controller_.reset();
        player::clear_events();
    }

    std::size_t count_lines(std::string_view prefix) const {
        const auto lines = log_.lines();
        return static_cast<std::size_t>(std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.starts_with(prefix);
        }));
    }
    bool logged(std::string_view line) const {
        const auto lines = log_.lines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    std::size_t state_scripts() const {
        const auto& scripts = layer_.last_page()->executed_scripts();
        return static_cast<std::size_t>(std::count_if(scripts.begin(), scripts.end(), [](const std::string& script) {
            return script.starts_with("window.__tessaryDispatch(\"state\"");
        }));
    }

    // Plays the first wallpaper and lets its page report readiness.
    void play_first() {
        controller_->start_first_wallpaper(std::nullopt);
        ASSERT_NE(layer_.last_page(), nullptr);
        ASSERT_TRUE(layer_.last_page()->post_message("ready"));
        controller_->refresh_playback();
    }

    test::LogCapture log_;
    test::TestFolder root_;
    std::string data_;
    test::FakeWebLayer layer_;
    std::optional<player::PlayerController> controller_;
};

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
    controller_->dispatch(101);
    EXPECT_TRUE(logged("state paused=true fps=60"));
    controller_->dispatch(101);
    EXPECT_EQ(count_lines("state paused=false fps=60"), 2u);
    controller_->dispatch(108);
    EXPECT_TRUE(logged("state paused=false fps=30"));
    EXPECT_EQ(state_scripts(), 4u);
    EXPECT_NE(test::read_file(player::join_path(data_, "settings.json")).find("\"fps\": 30"), std::string::npos);
    EXPECT_EQ(count_lines("control command="), 3u);
}

TEST_F(PlayerControllerTest, UnofferedCommandsAreOnlyLogged) {
    play_first();
    const std::size_t before = log_.lines().size();
    controller_->dispatch(104);
    EXPECT_EQ(log_.lines().size(), before + 1);
    EXPECT_EQ(log_.lines().back(), "control command=104");
}

TEST_F(PlayerControllerTest, ASelectionThatIsNotInstalledLeavesThePlayingWallpaper) {
    play_first();
    const std::size_t pages = layer_.pages().size();
    player::queue_event({player::MSG_SELECT_WALLPAPER, 0, std::string("gamma")});
    controller_->handle_event(*player::pop_event());
    EXPECT_TRUE(logged("select wallpaper: 指定壁纸未安装或未通过验证"));
    EXPECT_EQ(controller_->status_text(), std::string(core::kGenericFailureStatus));
    EXPECT_EQ(layer_.pages().size(), pages);
    EXPECT_FALSE(layer_.last_page()->destroyed());
}

TEST_F(PlayerControllerTest, HandedOverSelectionRebuildsTheHostForTheNewWallpaper) {
    play_first();
    controller_->handle_event({player::MSG_SELECT_WALLPAPER, 0, std::string("beta")});
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
    controller_->start_first_wallpaper(std::nullopt);
    EXPECT_EQ(controller_->status_text(), std::string(core::kWebView2FailureStatus));
    EXPECT_EQ(count_lines("startup: WebView2 初始化失败。"), 1u);
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
    controller_.reset();
    EXPECT_EQ(log_.lines().back(), "clean shutdown");
    EXPECT_TRUE(layer_.pages().back()->destroyed());
}

}  // namespace
