// What the shipped program's page is told about playback: the pause reasons from power,
// display and session notifications, windows that hide the desktop, and the tray menu.
#include <windows.h>
#include <wtsapi32.h>

#include <gtest/gtest.h>

#include "core/shell/commands.h"
#include "desktop_fixture.h"
#include "player/library/paths.h"
#include "player/win32/wide.h"

namespace {

using namespace std::chrono_literals;
using e2e::DesktopPlayerTest;
using e2e::wait_until;

constexpr auto kTimeout = 30s;
constexpr const char* kPlaying = "window.__tessaryDispatch(\"state\",{\"fps\":60,\"paused\":false,\"volume\":0});";
constexpr const char* kPaused = "window.__tessaryDispatch(\"state\",{\"fps\":60,\"paused\":true,\"volume\":0});";

class DesktopStateTest : public DesktopPlayerTest {
protected:
    // The "state paused=" lines logged since the offset.
    std::vector<std::string> states_since(std::size_t from) const {
        std::vector<std::string> states;
        const std::string log = log_text();
        for (std::size_t at = log.find("state paused=", from); at != std::string::npos;
             at = log.find("state paused=", at + 1)) {
            states.push_back(log.substr(at, log.find('\n', at) - at));
        }
        return states;
    }
    // Waits for the next state line after the offset and checks it; returns the new offset.
    std::size_t expect_state(std::size_t from, const std::string& state) {
        EXPECT_TRUE(wait_for_log("state paused=", kTimeout, from)) << log_text().substr(from);
        const auto states = states_since(from);
        EXPECT_EQ(states.size(), 1u) << log_text().substr(from);
        if (!states.empty()) {
            EXPECT_EQ(states.front(), state);
        }
        return log_text().size();
    }
    // After the events sent so far are handled, no state was pushed since the offset.
    void expect_no_state(std::size_t from) {
        sync();
        test::pump_messages(600ms);  // ticks keep running; none may push
        EXPECT_TRUE(states_since(from).empty()) << log_text().substr(from);
    }
    std::vector<std::string> state_events() const {
        std::vector<std::string> states;
        for (const std::string& line : page_events()) {
            if (line.rfind("window.__tessaryDispatch(\"state\",", 0) == 0) states.push_back(line);
        }
        return states;
    }
    // "unseen true" and "unseen false": when the page was hidden and suspended, and shown.
    std::vector<std::string> unseen_changes() const {
        test::pump_messages(std::chrono::milliseconds(300));  // the change follows the push
        std::vector<std::string> changes;
        for (const std::string& line : page_events()) {
            if (line.rfind("unseen ", 0) == 0) changes.push_back(line);
        }
        return changes;
    }
};

// Each reason is set and cleared only by its own events; the page hears of every change.
TEST_F(DesktopStateTest, PauseReasonsAreIndependentAndThePageHearsEachChange) {
    start_player({"--preview"});
    std::size_t from = log_text().size();

    send_session_event(WTS_SESSION_LOCK);
    from = expect_state(from, "state paused=true fps=60");
    send_display_state(0);
    ASSERT_TRUE(wait_for_log("console display state=0", kTimeout, from));
    send_session_event(WTS_SESSION_UNLOCK);
    expect_no_state(from);  // the display is still off
    send_display_state(1);
    ASSERT_TRUE(wait_for_log("console display state=1", kTimeout, from));
    from = expect_state(from, "state paused=false fps=60");

    // Dimmed counts as off.
    send_display_state(2);
    ASSERT_TRUE(wait_for_log("console display state=2", kTimeout, from));
    from = expect_state(from, "state paused=true fps=60");
    send_display_state(1);
    from = expect_state(from, "state paused=false fps=60");

    // Suspended, then paused by the user too: resuming leaves the user's pause.
    send_power_event(PBT_APMSUSPEND);
    from = expect_state(from, "state paused=true fps=60");
    command(core::CMD_TOGGLE_PAUSE);
    from = expect_state(from, "state paused=true fps=60");  // the toggle forces a push
    send_power_event(PBT_APMRESUMEAUTOMATIC);
    expect_no_state(from);
    command(core::CMD_TOGGLE_PAUSE);
    from = expect_state(from, "state paused=false fps=60");

    // A resume without a suspend, an unlock without a lock, a remote connection and an
    // unrelated power event change nothing.
    send_power_event(PBT_APMRESUMESUSPEND);
    send_session_event(WTS_SESSION_UNLOCK);
    send_session_event(WTS_REMOTE_CONNECT);
    send_power_event(PBT_APMPOWERSTATUSCHANGE);
    expect_no_state(from);
    send_power_event(PBT_APMSUSPEND);
    from = expect_state(from, "state paused=true fps=60");
    send_power_event(PBT_APMRESUMESUSPEND);
    from = expect_state(from, "state paused=false fps=60");

    // The page was told exactly the changes, in order.
    const std::vector<std::string> expected = {kPlaying, kPaused, kPlaying, kPaused, kPlaying, kPaused,
                                               kPaused,  kPlaying, kPaused, kPlaying};
    EXPECT_EQ(state_events(), expected);
    // Hidden while nobody could see it; the user's own pause alone keeps it on view.
    const std::vector<std::string> unseen = {"unseen true", "unseen false", "unseen true", "unseen false",
                                             "unseen true", "unseen false", "unseen true", "unseen false"};
    EXPECT_EQ(unseen_changes(), unseen);
    exit_player();
}

// While mounted, a window that hides the primary monitor pauses; others do not.
TEST_F(DesktopStateTest, WindowsThatHideTheDesktopPauseIt) {
    explorer_.start({"--layout=newer"});
    start_player();
    ASSERT_TRUE(wait_for_log("desktop mounted", kTimeout)) << log_text();
    const HWND progman = explorer_.handle("progman");
    ::SetForegroundWindow(progman);
    std::size_t from = log_text().size();

    const HWND maximised = ::CreateWindowExW(0, L"STATIC", L"maximised", WS_OVERLAPPEDWINDOW, 100, 100, 400, 300,
                                             nullptr, nullptr, nullptr, nullptr);
    ::ShowWindow(maximised, SW_MAXIMIZE);
    ::SetForegroundWindow(maximised);
    from = expect_state(from, "state paused=true fps=60");
    EXPECT_EQ(state_events().back(), kPaused);
    // Minimised, even in front, it hides nothing.
    ::ShowWindow(maximised, SW_MINIMIZE);
    ::SetForegroundWindow(maximised);
    from = expect_state(from, "state paused=false fps=60");

    // A borderless window covering the primary monitor.
    const HWND covering = ::CreateWindowExW(0, L"STATIC", L"covering", WS_POPUP | WS_VISIBLE, 0, 0,
                                            ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN),
                                            nullptr, nullptr, nullptr, nullptr);
    ::SetForegroundWindow(covering);
    from = expect_state(from, "state paused=true fps=60");
    // The desktop itself in front.
    ::SetForegroundWindow(progman);
    from = expect_state(from, "state paused=false fps=60");
    ::DestroyWindow(covering);

    // A small window, and a maximised one off the primary monitor (Xvfb gives Wine one
    // monitor; a maximised window beyond it stands for one on another monitor).
    const HWND small = ::CreateWindowExW(0, L"STATIC", L"small", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 400,
                                         300, nullptr, nullptr, nullptr, nullptr);
    ::SetForegroundWindow(small);
    expect_no_state(from);
    // Marked maximised where it stands, so that it never passes over the primary monitor.
    const HWND elsewhere = ::CreateWindowExW(0, L"STATIC", L"elsewhere", WS_OVERLAPPEDWINDOW,
                                             ::GetSystemMetrics(SM_CXSCREEN) + 100, 0, 800, 600, nullptr, nullptr,
                                             nullptr, nullptr);
    ::SetWindowLongPtrW(elsewhere, GWL_STYLE, ::GetWindowLongPtrW(elsewhere, GWL_STYLE) | WS_MAXIMIZE);
    ::ShowWindow(elsewhere, SW_SHOWNA);
    ASSERT_TRUE(::IsZoomed(elsewhere));
    RECT away{};
    ::GetWindowRect(elsewhere, &away);
    ASSERT_GE(away.left, ::GetSystemMetrics(SM_CXSCREEN));
    ::SetForegroundWindow(elsewhere);
    expect_no_state(from);
    ::DestroyWindow(elsewhere);
    ::DestroyWindow(small);
    ::DestroyWindow(maximised);
    // Covered, the page was hidden and suspended; uncovered, shown again.
    const std::vector<std::string> unseen = {"unseen true", "unseen false", "unseen true", "unseen false"};
    EXPECT_EQ(unseen_changes(), unseen);
    exit_player();
}

TEST_F(DesktopStateTest, TrayMenuTextsFollowThePlayerAndItsCommandsTakeEffect) {
    explorer_.start({"--layout=newer"});
    // Started with Windows, all well: the control window stays hidden until the menu.
    start_player({"--startup"});
    ASSERT_TRUE(wait_for_log("desktop mounted", kTimeout)) << log_text();
    const HWND panel = ::FindWindowW(L"Tessary.Panel", nullptr);
    ASSERT_NE(panel, nullptr);
    EXPECT_FALSE(::IsWindowVisible(panel));
    const std::vector<std::string> mounted = {"101\t暂停\t0",         "102\t窗口预览\t0", "108\t30 FPS · 节能\t0",
                                              "109\t60 FPS · 流畅\t0", "106\t打开日志文件夹\t0", "107\t退出\t0"};
    std::size_t from = log_text().size();
    EXPECT_EQ(open_tray_menu(), mounted);
    choose_in_menu(std::nullopt);
    EXPECT_NE(log_text().find("tray menu opening foreground_set=1", from), std::string::npos);
    EXPECT_NE(log_text().find("tray menu closed command=0 error=0", from), std::string::npos);
    EXPECT_EQ(count_in_log("control command=", from), 0u);
    // The menu came up over the control window, which it brought forward.
    EXPECT_TRUE(::IsWindowVisible(panel));
    EXPECT_EQ(::GetForegroundWindow(), panel);
    // The context-menu key and a double click open it too; a single click only brings the
    // control window forward.
    EXPECT_EQ(open_tray_menu(WM_CONTEXTMENU), mounted);
    choose_in_menu(std::nullopt);
    EXPECT_EQ(open_tray_menu(WM_LBUTTONDBLCLK), mounted);
    choose_in_menu(std::nullopt);
    ::SetForegroundWindow(explorer_.handle("progman"));
    const std::size_t menus_before = menus().size();
    ASSERT_TRUE(::PostMessageW(controller_, 0x8001, 1, WM_LBUTTONUP));
    EXPECT_TRUE(wait_until([&] { return ::GetForegroundWindow() == panel; }, kTimeout));
    test::pump_messages(500ms);
    EXPECT_EQ(menus().size(), menus_before);

    // Pause from the menu; the item then offers to resume.
    from = log_text().size();
    open_tray_menu();
    choose_in_menu(0);
    ASSERT_TRUE(wait_for_log("state paused=true fps=60", kTimeout, from));
    EXPECT_NE(log_text().find("tray menu closed command=101 error=0", from), std::string::npos);
    auto items = open_tray_menu();
    ASSERT_EQ(items.size(), 6u);
    EXPECT_EQ(items[0], "101\t继续播放\t0");

    // To the preview window, and the item offers the desktop again.
    from = log_text().size();
    choose_in_menu(1);
    ASSERT_TRUE(wait_for_log("control command=102", kTimeout, from));
    const HWND host = host_window();
    ASSERT_TRUE(wait_until([&] { return ::GetParent(host) == nullptr && ::IsWindowVisible(host); }, kTimeout));
    items = open_tray_menu();
    ASSERT_EQ(items.size(), 6u);
    EXPECT_EQ(items[1], "102\t设为桌面壁纸\t0");

    // 30 frames a second, saved; still paused.
    from = log_text().size();
    choose_in_menu(2);
    ASSERT_TRUE(wait_for_log("state paused=true fps=30", kTimeout, from)) << log_text().substr(from);
    EXPECT_NE(test::read_file(player::join_path(data_folder(), "settings.json")).find("\"fps\": 30"),
              std::string::npos);
    open_tray_menu();
    choose_in_menu(3);
    ASSERT_TRUE(wait_for_log("state paused=true fps=60", kTimeout, from));
    open_tray_menu();
    choose_in_menu(0);
    ASSERT_TRUE(wait_for_log("state paused=false fps=60", kTimeout, from));

    // Back on the desktop, the same page (no second load).
    from = log_text().size();
    open_tray_menu();
    choose_in_menu(1);
    ASSERT_TRUE(wait_for_log("desktop mounted", kTimeout, from));
    EXPECT_EQ(count_in_log("wallpaper bridge ready", from), 0u);

    // Paused only because the display is off: the item still offers to pause.
    send_display_state(0);
    ASSERT_TRUE(wait_for_log("state paused=true", kTimeout, from));
    items = open_tray_menu();
    ASSERT_EQ(items.size(), 6u);
    EXPECT_EQ(items[0], "101\t暂停\t0");
    choose_in_menu(std::nullopt);

    // The log folder opens in the file manager (Wine's own here), titled with its name.
    from = log_text().size();
    open_tray_menu();
    choose_in_menu(4);
    ASSERT_TRUE(wait_for_log("control command=106", kTimeout, from));
    const std::wstring folder_name = win32::to_wide(e2e::instance_name()).value();
    HWND folder = nullptr;
    EXPECT_TRUE(wait_until(
        [&] { return (folder = ::FindWindowW(L"ExplorerWClass", folder_name.c_str())) != nullptr; }, kTimeout));
    if (folder != nullptr) {
        ::PostMessageW(folder, WM_CLOSE, 0, 0);
        EXPECT_TRUE(wait_until([&] { return !::IsWindow(folder); }, kTimeout));
    }

    // Exit from the menu ends the player cleanly.
    from = log_text().size();
    open_tray_menu();
    choose_in_menu(5);
    EXPECT_EQ(player_->wait(kTimeout), 0u);
    EXPECT_NE(log_text().find("control command=107", from), std::string::npos);
    EXPECT_NE(log_text().find("clean shutdown", from), std::string::npos);
    player_.reset();
}

}  // namespace
