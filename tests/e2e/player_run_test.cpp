#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "core/shell/commands.h"
#include "core/shell/handoff.h"
#include "player/library/paths.h"
#include "player/win32/wide.h"
#include "player_fixture.h"

namespace {

using namespace std::chrono_literals;
using e2e::PlayerTest;

constexpr auto kStartTimeout = 60s;

// The test build plays the shipped samples with the stand-in browser.
class RunningPlayerTest : public PlayerTest {
protected:
    void SetUp() override {
        use_test_player();
        add_sample_wallpapers();
    }
    void TearDown() override {
        if (player_) {
            start({"--exit"}).wait(kStartTimeout);
            player_->wait(kStartTimeout);
        }
    }

    // Starts the first player and waits until its page reported readiness and got its state.
    void start_player(std::vector<std::string> args = {}) {
        player_.emplace(start(std::move(args)));
        ASSERT_TRUE(wait_for_log("state paused=", kStartTimeout)) << log_text();
        window_ = find_player_window(kStartTimeout);
        ASSERT_NE(window_, nullptr);
    }

    void command(WPARAM number) { ASSERT_TRUE(::PostMessageW(window_, WM_COMMAND, number, 0)); }

    // The player's control window, once it exists.
    HWND find_control_window(std::chrono::milliseconds timeout) const {
        struct Search {
            DWORD process;
            HWND found;
        } search{player_->id(), nullptr};
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (search.found == nullptr && std::chrono::steady_clock::now() < deadline) {
            ::EnumWindows(
                [](HWND window, LPARAM data) -> BOOL {
                    auto& wanted = *reinterpret_cast<Search*>(data);
                    DWORD process = 0;
                    ::GetWindowThreadProcessId(window, &process);
                    wchar_t name[64] = {};
                    ::GetClassNameW(window, name, 64);
                    if (process != wanted.process || std::wstring(name) != L"Tessary.Panel") return TRUE;
                    wanted.found = window;
                    return FALSE;
                },
                reinterpret_cast<LPARAM>(&search));
            if (search.found == nullptr) test::pump_messages(100ms);
        }
        return search.found;
    }

    std::optional<test::ChildProcess> player_;
    HWND window_ = nullptr;
};

TEST_F(RunningPlayerTest, FirstStartInstallsTheShippedWallpapersAndPlaysTheFirst) {
    start_player();
    const std::string library = player::join_path(data_folder(), "library");
    EXPECT_TRUE(test::exists(player::join_path(library, "aurora-drift\\manifest.json")));
    EXPECT_TRUE(test::exists(player::join_path(library, "tide-lanterns\\js\\lanterns.js")));
    const std::string log = log_text();
    EXPECT_NE(log.find("startup version=0.6.5"), std::string::npos);
    EXPECT_NE(log.find("free library load: id=aurora-drift path="), std::string::npos) << log;
    EXPECT_NE(log.find("wallpaper bridge ready"), std::string::npos);
    // Aurora Drift is made for 60 frames a second and nothing overrides it.
    EXPECT_NE(log.find("state paused=false fps=60"), std::string::npos) << log;
    EXPECT_LT(log.find("free library load"), log.find("wallpaper bridge ready"));
}

TEST_F(RunningPlayerTest, ExitFromASecondProcessEndsTheFirstCleanly) {
    start_player();
    EXPECT_EQ(start({"--exit"}).wait(kStartTimeout), 0u);
    EXPECT_EQ(player_->wait(kStartTimeout), 0u);
    EXPECT_NE(log_text().find("clean shutdown"), std::string::npos);
    player_.reset();
}

TEST_F(RunningPlayerTest, PauseAndFrameRateCommandsPushOneStateEach) {
    start_player();
    const std::size_t before = log_text().size();
    command(core::CMD_TOGGLE_PAUSE);
    ASSERT_TRUE(wait_for_log("state paused=true fps=60", 10s, before));
    command(core::CMD_FPS_30);
    ASSERT_TRUE(wait_for_log("state paused=true fps=30", 10s, before));
    command(core::CMD_TOGGLE_PAUSE);
    ASSERT_TRUE(wait_for_log("state paused=false fps=30", 10s, before));
    command(core::CMD_FPS_60);
    ASSERT_TRUE(wait_for_log("state paused=false fps=60", 10s, before));
    test::pump_messages(1500ms);  // ticks in between must push nothing more
    EXPECT_EQ(count_in_log("state paused=", before), 4u) << log_text().substr(before);
    EXPECT_EQ(count_in_log("control command=", before), 4u);

    const std::string settings = test::read_file(player::join_path(data_folder(), "settings.json"));
    EXPECT_NE(settings.find("\"fps\": 60"), std::string::npos) << settings;
}

TEST_F(RunningPlayerTest, Fps30IsSavedAndUnofferedCommandsOnlyLog) {
    start_player();
    const std::size_t before = log_text().size();
    command(core::CMD_FPS_30);
    ASSERT_TRUE(wait_for_log("state paused=false fps=30", 10s, before));
    EXPECT_NE(test::read_file(player::join_path(data_folder(), "settings.json")).find("\"fps\": 30"),
              std::string::npos);
    const std::size_t after_fps = log_text().size();
    for (WPARAM unoffered = core::CMD_UNOFFERED_FIRST; unoffered <= core::CMD_UNOFFERED_LAST; ++unoffered) command(unoffered);
    ASSERT_TRUE(wait_for_log("control command=105", 10s, after_fps));
    test::pump_messages(500ms);
    // Three lines and nothing else: no state push, no refresh, no settings save.
    const std::string tail = log_text().substr(after_fps);
    EXPECT_EQ(count_in_log("\n", after_fps), 3u) << tail;
    EXPECT_EQ(count_in_log("control command=10", after_fps), 3u) << tail;
}

TEST_F(RunningPlayerTest, SecondStartHandsTheSelectionOver) {
    start_player();
    const std::size_t before = log_text().size();
    auto second = start({"--select-wallpaper", "tide-lanterns"});
    EXPECT_EQ(second.wait(kStartTimeout), 0u);
    ASSERT_TRUE(wait_for_log("free library load: id=tide-lanterns", kStartTimeout, before)) << log_text();
    // Its own start-up line is in the shared log too.
    EXPECT_GE(count_in_log("startup version=0.6.5"), 2u);
}

TEST_F(RunningPlayerTest, TheControlWindowListsTheLibraryAndClosingItExits) {
    start_player();
    const HWND panel = find_control_window(kStartTimeout);
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(::IsWindowVisible(panel));
    wchar_t title[64] = {};
    ::GetWindowTextW(panel, title, 64);
    EXPECT_EQ(std::wstring(title), L"Tessary · 壁纸控制");
    const HWND list = ::GetDlgItem(panel, core::CMD_SELECT_FROM_LIST);
    EXPECT_EQ(::SendMessageW(list, LB_GETCOUNT, 0, 0), 6);  // the six samples
    EXPECT_EQ(::SendMessageW(list, LB_GETCURSEL, 0, 0), 0);  // aurora-drift, in use

    const std::size_t before = log_text().size();
    ASSERT_TRUE(::PostMessageW(panel, WM_CLOSE, 0, 0));
    EXPECT_EQ(player_->wait(kStartTimeout), 0u);
    EXPECT_EQ(count_in_log("control command=107", before), 1u);
    EXPECT_EQ(count_in_log("clean shutdown", before), 1u);
    player_.reset();
}

// In preview mode: Wine has no desktop to mount on, and that failure is a problem the
// window would rightly come forward to report.
TEST_F(RunningPlayerTest, StartedWithWindowsTheControlWindowStaysHiddenWhileAllIsWell) {
    start_player({"--startup", "--preview"});
    const HWND panel = find_control_window(kStartTimeout);
    ASSERT_NE(panel, nullptr);
    test::pump_messages(500ms);
    EXPECT_FALSE(::IsWindowVisible(panel));
}

TEST_F(RunningPlayerTest, StartedWithWindowsTheControlWindowComesForwardWhenTheDesktopFails) {
    start_player({"--startup"});
    const HWND panel = find_control_window(kStartTimeout);
    ASSERT_NE(panel, nullptr);
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!::IsWindowVisible(panel) && std::chrono::steady_clock::now() < deadline) test::pump_messages(100ms);
    EXPECT_TRUE(::IsWindowVisible(panel));
}

TEST_F(RunningPlayerTest, ASelectionThatIsNotInstalledIsReportedByTheRunningPlayer) {
    start_player();
    const std::size_t before = log_text().size();
    EXPECT_EQ(start({"--select-wallpaper", "not-installed"}).wait(kStartTimeout), 0u);
    ASSERT_TRUE(wait_for_log("select wallpaper: 指定壁纸未安装或未通过验证", kStartTimeout, before)) << log_text();
}

TEST_F(PlayerTest, ABadSelectionFailsTheSecondStart) {
    auto child = start({"--select-wallpaper", "bad id"});
    const auto box = test::wait_for_message_box(child.id(), kStartTimeout);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, "启动失败：\ninvalid wallpaper ID");
    test::dismiss(*box);
    EXPECT_EQ(child.wait(kStartTimeout), 0u);
}

TEST_F(PlayerTest, AHungPlayerMakesTheSenderFailAfterThreeSeconds) {
    // A "running player": the lock held and a controller window whose thread never answers.
    const std::wstring mutex_name = win32::to_wide("Local\\" + e2e::instance_name()).value();
    const HANDLE lock = ::CreateMutexW(nullptr, FALSE, mutex_name.c_str());
    ASSERT_NE(lock, nullptr);
    HANDLE created = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread hung([&] {
        WNDCLASSW window_class{};
        window_class.lpfnWndProc = ::DefWindowProcW;
        window_class.hInstance = ::GetModuleHandleW(nullptr);
        window_class.lpszClassName = L"Tessary.Control";
        ::RegisterClassW(&window_class);
        const HWND window =
            ::CreateWindowExW(WS_EX_TOOLWINDOW, L"Tessary.Control", win32::to_wide(e2e::instance_name()).value().c_str(),
                              0, 0, 0, 0, 0, nullptr, nullptr, window_class.hInstance, nullptr);
        ::SetEvent(created);
        ::WaitForSingleObject(release, 60000);
        ::DestroyWindow(window);
    });
    ASSERT_EQ(::WaitForSingleObject(created, 10000), WAIT_OBJECT_0);

    auto child = start({"--select-wallpaper", "aurora-drift"});
    const auto box = test::wait_for_message_box(child.id(), kStartTimeout);
    ::SetEvent(release);
    hung.join();
    ::CloseHandle(created);
    ::CloseHandle(release);
    ::CloseHandle(lock);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, "启动失败：\n运行中的播放器未能接收作品选择，请关闭后重试");
    test::dismiss(*box);
    EXPECT_EQ(child.wait(kStartTimeout), 0u);
    EXPECT_NE(log_text().find("fatal: 运行中的播放器未能接收作品选择，请关闭后重试"), std::string::npos);
}

TEST_F(PlayerTest, WithoutTheWebView2RuntimeTheShippedPlayerReportsAndStillExits) {
    add_sample_wallpapers();
    auto player = start({});
    ASSERT_TRUE(wait_for_log("startup: WebView2 初始化失败。", kStartTimeout)) << log_text();
    ASSERT_NE(find_player_window(kStartTimeout), nullptr);
    EXPECT_NE(log_text().find("0x80070002"), std::string::npos) << log_text();
    EXPECT_EQ(start({"--exit"}).wait(kStartTimeout), 0u);
    EXPECT_EQ(player.wait(kStartTimeout), 0u);
    EXPECT_NE(log_text().find("clean shutdown"), std::string::npos);
}

}  // namespace
