#include "player/windows/host_build.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "core/text/hex.h"
#include "core/web/bridge_script.h"
#include "core/web/pacing_script.h"
#include "fake_web_layer.h"
#include "host_test_support.h"
#include "player/events/controller_event.h"
#include "player/windows/bridge_glue.h"
#include "player/windows/host_window.h"
#include "window_classes.h"

namespace {

using namespace std::chrono_literals;

// Stands in for the desktop and preview placement: records what it was asked and can
// pretend to mount the host or fail.
class FakePlacement final : public player::HostPlacement {
public:
    void prepare_window_dpi(player::HostState& host) override {
        ++prepared;
        host.parent_worker = worker;
    }
    core::Status place(player::HostState& host, bool fallback) override {
        fallbacks.push_back(fallback);
        if (failure) return std::unexpected(*failure);
        host.mounted = worker != nullptr;
        return {};
    }

    HWND worker = nullptr;
    std::optional<core::Error> failure;
    int prepared = 0;
    std::vector<bool> fallbacks;
};

class HostBuildTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(test::ensure_window_class(player::kHostWindowClass, player::register_host_window_class));
    }
    void TearDown() override {
        host_ = player::HostState{};
        controller_.take_posted();
    }

    player::HostServices services() {
        return player::HostServices{
            .web_layer = layer_,
            .placement = placement_,
            .controller_window = controller_.handle(),
            .log = [this](std::string_view line) { log_.emplace_back(line); },
            .refresh_status = [this] { ++refreshes_; },
            .now = [this] { return now_; },
        };
    }

    core::Status build(const core::SharedWallpaper& wallpaper, bool fallback = true) {
        return player::build_host(host_, services(), wallpaper, fallback);
    }

    // The notices the controller got, taken as the controller takes them: once handled,
    // the page may notify again.
    int refresh_messages() {
        int count = 0;
        host_.flags->refresh_posted.store(false);
        for (const MSG& message : controller_.take_posted()) {
            EXPECT_EQ(message.message, player::MSG_REFRESH_CONTROL);
            EXPECT_EQ(message.wParam, 0u);
            EXPECT_EQ(message.lParam, 0);
            ++count;
        }
        return count;
    }

    test::FakeWebLayer layer_;
    FakePlacement placement_;
    test::MessageSink controller_;
    player::HostState host_;
    std::vector<std::string> log_;
    int refreshes_ = 0;
    core::MonotonicTime now_ = core::MonotonicTime{} + 500s;
};

TEST_F(HostBuildTest, NoWallpaperStillResetsTheLoadState) {
    host_.status_text = "old status";
    host_.last_pushed.paused = true;
    host_.last_pushed.fps = 60;
    const auto old_flags = host_.flags;
    old_flags->ready = true;

    const auto built = build(nullptr);
    ASSERT_FALSE(built);
    EXPECT_EQ(built.error().chain(), "no wallpaper selected");
    EXPECT_NE(host_.flags, old_flags);
    EXPECT_FALSE(old_flags->ready);
    EXPECT_FALSE(host_.flags->ready);
    EXPECT_FALSE(host_.flags->failed);
    EXPECT_EQ(host_.load_start, now_);
    EXPECT_EQ(host_.last_attempt, now_);
    EXPECT_EQ(host_.last_check, std::nullopt);
    EXPECT_EQ(host_.status_text, std::nullopt);
    EXPECT_EQ(host_.last_pushed, core::LastPushedState{});
    EXPECT_EQ(refreshes_, 1);
    EXPECT_TRUE(layer_.pages().empty());
    EXPECT_EQ(test::count_host_windows(), 0);
}

TEST_F(HostBuildTest, PreviewBuildCreatesTheWindowAndTheWebViewAndLogs) {
    ASSERT_TRUE(build(test::demo_wallpaper("scenes/main page.html"), true));
    const HWND window = host_.window.get();
    ASSERT_TRUE(::IsWindow(window));
    ASSERT_TRUE(host_.webview);

    wchar_t title[64] = {};
    ::GetWindowTextW(window, title, 64);
    EXPECT_EQ(std::wstring(title), L"Tessary · 壁纸窗口预览");
    EXPECT_EQ(static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_STYLE)) & ~WS_CLIPSIBLINGS, WS_OVERLAPPEDWINDOW);
    EXPECT_TRUE(::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_APPWINDOW);
    EXPECT_FALSE(::IsWindowVisible(window));
    RECT frame{};
    ::GetWindowRect(window, &frame);
    EXPECT_EQ(frame.right - frame.left, 1100);
    EXPECT_EQ(frame.bottom - frame.top, 720);
    EXPECT_EQ(::GetParent(window), nullptr);
    EXPECT_EQ(reinterpret_cast<HWND>(::GetWindowLongPtrW(window, GWLP_USERDATA)), controller_.handle());

    const test::FakePage& page = *layer_.last_page();
    EXPECT_EQ(page.parent(), window);
    EXPECT_EQ(page.config().start_url, "wlp://localhost/scenes/main page.html");
    ASSERT_EQ(page.config().main_frame_scripts.size(), 3u);
    EXPECT_EQ(page.config().main_frame_scripts[0], core::kIpcShimScript);
    EXPECT_EQ(page.config().main_frame_scripts[1], core::kBridgeScript);
    EXPECT_EQ(page.config().main_frame_scripts[2], core::kPacingScript);
    EXPECT_TRUE(page.may_navigate("wlp://localhost/other.html"));
    EXPECT_FALSE(page.may_navigate("https://example.com/"));

    EXPECT_EQ(placement_.prepared, 1);
    EXPECT_EQ(placement_.fallbacks, std::vector<bool>{true});
    EXPECT_EQ(host_.last_check, now_);
    ASSERT_EQ(log_.size(), 1u);
    EXPECT_EQ(log_[0], "loaded demo mode=preview host=" + core::hex_number(reinterpret_cast<std::uintptr_t>(window)) +
                           " parent=0x0");
    EXPECT_TRUE(std::regex_match(log_[0], std::regex("loaded demo mode=preview host=0x[0-9a-f]+ parent=0x0")));
}

TEST_F(HostBuildTest, DesktopBuildLogsTheParentWorkerInLowercaseHex) {
    test::MessageSink worker;
    placement_.worker = worker.handle();
    ASSERT_TRUE(build(test::demo_wallpaper(), false));
    EXPECT_TRUE(host_.mounted);
    EXPECT_EQ(placement_.fallbacks, std::vector<bool>{false});
    ASSERT_EQ(log_.size(), 1u);
    const std::string worker_text = core::hex_number(reinterpret_cast<std::uintptr_t>(worker.handle()));
    EXPECT_EQ(log_[0], "loaded demo mode=desktop host=" +
                           core::hex_number(reinterpret_cast<std::uintptr_t>(host_.window.get())) +
                           " parent=" + worker_text);
    EXPECT_TRUE(std::regex_match(log_[0], std::regex("loaded demo mode=desktop host=0x[0-9a-f]+ parent=0x[0-9a-f]+")));
}

TEST_F(HostBuildTest, EveryBuildGetsFreshFlagsAndTheOldPageIsCutOff) {
    ASSERT_TRUE(build(test::demo_wallpaper()));
    test::FakePage& first = *layer_.last_page();
    const HWND first_window = host_.window.get();
    ASSERT_TRUE(first.post_message("ready"));
    const auto first_flags = host_.flags;
    EXPECT_TRUE(first_flags->ready);

    now_ += 20s;
    ASSERT_TRUE(build(test::demo_wallpaper()));
    EXPECT_TRUE(first.destroyed());
    EXPECT_FALSE(::IsWindow(first_window));
    EXPECT_EQ(test::count_host_windows(), 1);
    EXPECT_NE(host_.flags, first_flags);
    EXPECT_FALSE(first_flags->ready);
    EXPECT_EQ(host_.load_start, now_);

    // Whatever the discarded page still does lands on its own flags only.
    first.request("http://wlp.localhost/missing.js");
    EXPECT_TRUE(first_flags->failed);
    EXPECT_FALSE(host_.flags->failed);
    EXPECT_FALSE(host_.flags->ready);
}

TEST_F(HostBuildTest, AWebViewFailureDestroysTheNewWindow) {
    ASSERT_TRUE(build(test::demo_wallpaper()));
    layer_.fail_creation(core::Error("CreateCoreWebView2EnvironmentWithOptions failed: 0x80070002"));
    log_.clear();

    const auto built = build(test::demo_wallpaper());
    ASSERT_FALSE(built);
    EXPECT_EQ(built.error().message(),
              "WebView2 初始化失败。请安装 Microsoft Edge WebView2 Evergreen Runtime (x64)，然后重试。");
    ASSERT_NE(built.error().cause(), nullptr);
    EXPECT_EQ(built.error().cause()->message(), "CreateCoreWebView2EnvironmentWithOptions failed: 0x80070002");
    EXPECT_FALSE(host_.window);
    EXPECT_FALSE(host_.webview);
    EXPECT_EQ(test::count_host_windows(), 0);
    EXPECT_TRUE(log_.empty());
}

TEST_F(HostBuildTest, APlacementErrorKeepsTheHostForTheRecoveryCheck) {
    placement_.failure = core::Error("wallpaper host or WebView disappeared");
    const auto built = build(test::demo_wallpaper());
    ASSERT_FALSE(built);
    EXPECT_EQ(built.error().chain(), "wallpaper host or WebView disappeared");
    EXPECT_TRUE(::IsWindow(host_.window.get()));
    EXPECT_TRUE(host_.webview);
    EXPECT_EQ(host_.last_check, std::nullopt);
    EXPECT_TRUE(log_.empty());
}

TEST_F(HostBuildTest, PageMessagesDriveTheFlagsLogAndNotify) {
    ASSERT_TRUE(build(test::demo_wallpaper()));
    test::FakePage& page = *layer_.last_page();
    log_.clear();
    controller_.take_posted();

    page.post_message("hello");
    EXPECT_EQ(refresh_messages(), 0);
    page.post_message("ready");
    EXPECT_TRUE(host_.flags->ready);
    EXPECT_EQ(refresh_messages(), 1);
    page.post_message("asset-error");
    EXPECT_TRUE(host_.flags->failed);
    EXPECT_FALSE(host_.flags->ready);
    EXPECT_EQ(refresh_messages(), 1);
    page.post_message("ready");
    EXPECT_FALSE(host_.flags->ready);
    EXPECT_EQ(refresh_messages(), 0);
    EXPECT_EQ(log_, (std::vector<std::string>{"wallpaper bridge ready", "wallpaper reported resource failure"}));
}

TEST_F(HostBuildTest, AssetRequestsAreServedAndRefusalsFailThePage) {
    ASSERT_TRUE(build(test::demo_wallpaper()));
    test::FakePage& page = *layer_.last_page();
    log_.clear();
    controller_.take_posted();

    const core::AssetResponse entry = page.load();
    EXPECT_EQ(entry.status, 200);
    EXPECT_EQ(std::string(entry.body.begin(), entry.body.end()), "<p>");
    const core::AssetResponse favicon = page.request("http://wlp.localhost/favicon.ico");
    EXPECT_EQ(favicon.status, 404);
    EXPECT_FALSE(host_.flags->failed);
    EXPECT_EQ(refresh_messages(), 0);
    EXPECT_TRUE(log_.empty());

    EXPECT_EQ(page.request("http://wlp.localhost/Index.html").status, 404);
    EXPECT_TRUE(host_.flags->failed);
    EXPECT_EQ(refresh_messages(), 1);
    EXPECT_EQ(page.request("http://wlp.localhost/%FF").status, 404);
    EXPECT_EQ(refresh_messages(), 1);
    // The same host under https is a second origin: refused like a missing file, with the
    // full header set, though the asset exists.
    const core::AssetResponse secure = page.request("https://wlp.localhost/index.html");
    EXPECT_EQ(secure.status, 404);
    EXPECT_TRUE(secure.body.empty());
    ASSERT_EQ(secure.headers().size(), 5u);
    EXPECT_EQ(secure.headers()[0].value, "text/html; charset=utf-8");
    EXPECT_EQ(secure.headers()[4].value, "0");
    EXPECT_EQ(refresh_messages(), 1);
    EXPECT_EQ(log_, (std::vector<std::string>{"wallpaper resource rejected or missing: Index.html",
                                              "wallpaper resource rejected or missing: ",
                                              "wallpaper resource rejected or missing: index.html"}));
}

// A page that floods the player: one notice waits for the controller at a time, and the
// page's lines in the log stop at a budget.
TEST_F(HostBuildTest, AFloodingPageCannotFillTheQueueOrTheLog) {
    ASSERT_TRUE(build(test::demo_wallpaper()));
    test::FakePage& page = *layer_.last_page();
    log_.clear();
    controller_.take_posted();

    for (int i = 0; i < 20000; ++i) {
        page.post_message(i % 2 == 0 ? "ready" : "asset-error");
        page.request("http://wlp.localhost/missing" + std::to_string(i % 7) + ".js");
    }
    EXPECT_EQ(controller_.take_posted().size(), 1u);
    ASSERT_EQ(log_.size(), static_cast<std::size_t>(core::kPageLogLineLimit) + 1);
    EXPECT_EQ(log_.front(), "wallpaper bridge ready");
    EXPECT_EQ(log_.back(), "wallpaper page keeps failing or messaging; further lines about it are not logged");
    // Once the controller took the notice, the next one gets through.
    EXPECT_EQ(refresh_messages(), 0);
    page.post_message("asset-error");
    EXPECT_EQ(refresh_messages(), 1);
}

TEST_F(HostBuildTest, SyncBoundsFitsTheClientArea) {
    EXPECT_TRUE(player::sync_webview_bounds(host_));
    ASSERT_TRUE(build(test::demo_wallpaper()));
    const test::FakePage& page = *layer_.last_page();
    ASSERT_TRUE(player::sync_webview_bounds(host_));
    RECT client{};
    ::GetClientRect(host_.window.get(), &client);
    ASSERT_FALSE(page.bounds().empty());
    const RECT& bounds = page.bounds().back();
    EXPECT_EQ(bounds.left, 0);
    EXPECT_EQ(bounds.top, 0);
    EXPECT_EQ(bounds.right, client.right);
    EXPECT_EQ(bounds.bottom, client.bottom);

    ::DestroyWindow(host_.window.get());
    const auto gone = player::sync_webview_bounds(host_);
    ASSERT_FALSE(gone);
    EXPECT_EQ(gone.error().chain(), "cannot read wallpaper client bounds");
}

TEST_F(HostBuildTest, DispatchRunsTheScriptAndOnlyLogsARefusal) {
    player::dispatch_to_page(host_, "state", "{}", services().log);
    EXPECT_TRUE(log_.empty());

    ASSERT_TRUE(build(test::demo_wallpaper()));
    test::FakePage& page = *layer_.last_page();
    log_.clear();
    player::dispatch_to_page(host_, "click", R"({"x":0.5,"y":0.25})", services().log);
    EXPECT_EQ(page.executed_scripts(),
              std::vector<std::string>{R"(window.__tessaryDispatch("click",{"x":0.5,"y":0.25});)"});
    page.refuse_scripts(core::Error("ExecuteScript failed: 0x8007139f"));
    player::dispatch_to_page(host_, "click", "{}", services().log);
    EXPECT_EQ(log_, std::vector<std::string>{"script: ExecuteScript failed: 0x8007139f"});
}

TEST_F(HostBuildTest, ReadinessLimitAndStatePushOnTheHost) {
    ASSERT_TRUE(build(test::demo_wallpaper()));
    test::FakePage& page = *layer_.last_page();
    log_.clear();
    const core::StatePushInputs inputs{.settings_fps = 0, .manifest_fps = 60};

    // Not ready yet: nothing is pushed.
    EXPECT_EQ(player::push_player_state(host_, inputs, services().log), std::nullopt);
    page.post_message("ready");
    log_.clear();
    const auto pushed = player::push_player_state(host_, inputs, services().log);
    EXPECT_EQ(pushed, (core::PlayerState{.fps = 60, .paused = false}));
    EXPECT_EQ(page.executed_scripts(),
              std::vector<std::string>{R"(window.__tessaryDispatch("state",{"fps":60,"paused":false,"volume":0});)"});
    EXPECT_EQ(log_, std::vector<std::string>{"state paused=false fps=60"});
    EXPECT_EQ(player::push_player_state(host_, inputs, services().log), std::nullopt);
    // The page loaded a document of its own (a reload, another page of the wallpaper): its
    // new "ready" asks for the state again, though nothing changed on the player's side.
    page.post_message("ready");
    EXPECT_EQ(player::push_player_state(host_, inputs, services().log), pushed);
    EXPECT_EQ(player::push_player_state(host_, inputs, services().log), std::nullopt);
    EXPECT_EQ(page.executed_scripts().size(), 2u);

    // A ready page never times out; a silent one does, once.
    player::apply_readiness_limit(host_, now_ + 30s, services().log);
    EXPECT_FALSE(host_.flags->failed);
    ASSERT_TRUE(build(test::demo_wallpaper()));
    log_.clear();
    player::apply_readiness_limit(host_, now_ + 14s, services().log);
    EXPECT_FALSE(host_.flags->failed);
    player::apply_readiness_limit(host_, now_ + 15s, services().log);
    EXPECT_TRUE(host_.flags->failed);
    EXPECT_EQ(host_.status_text,
              "壁纸在 15 秒内没有完成打开。请确认文件夹完整且 WebView2 可用，再点击“设为桌面壁纸”重试。");
    EXPECT_EQ(log_, std::vector<std::string>{"wallpaper ready timeout after 15 seconds"});
    layer_.last_page()->post_message("ready");
    EXPECT_FALSE(host_.flags->ready);
}

}  // namespace
