// The desktop half against Explorer as real Windows runs it: a desktop thread that hangs,
// a late resize after a display change, a notification area not ready at logon, and
// Windows' own Startup apps switch. (24H2's composition: desktop_mount_test.cpp.)
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "core/shell/commands.h"
#include "core/shell/handoff.h"
#include "desktop_fixture.h"
#include "player/controls/panel_ids.h"
#include "test_player/test_autostart.h"

namespace {

using namespace std::chrono_literals;
using e2e::wait_until;

constexpr auto kTimeout = 30s;
// The bounded waits on a hung Explorer, with room for a loaded machine.
constexpr ULONGLONG kHungExplorerBudgetMs = 3500;
// One recovery check (every 2 s), with the same room.
constexpr ULONGLONG kOneRecoveryStepMs = 4000;
const wchar_t* const kWineAppDefaults = L"Software\\Wine\\AppDefaults\\tessary.exe";
// The test player's scratch keys in place of the real Run and StartupApproved\Run.
const wchar_t* const kRunKey = test::kTestRunKey;
const wchar_t* const kApprovalKey = test::kTestApprovalKey;
const std::vector<BYTE> kApprovalOff = {0x03, 0, 0, 0, 0xd4, 0x0d, 0x43, 0x8d, 0xc8, 0x3b, 0xd9, 0x01};
const std::vector<BYTE> kApprovalOn = {0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

std::optional<std::vector<BYTE>> read_value(const wchar_t* subkey) {
    std::vector<BYTE> bytes(1024);
    DWORD size = static_cast<DWORD>(bytes.size());
    if (::RegGetValueW(HKEY_CURRENT_USER, subkey, L"Tessary", RRF_RT_ANY, nullptr, bytes.data(), &size)) return {};
    bytes.resize(size);
    return bytes;
}

void set_approval(const std::vector<BYTE>& flag) {
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kApprovalKey, L"Tessary", REG_BINARY, flag.data(), DWORD(flag.size()));
}

void delete_values() { ::RegDeleteTreeW(HKEY_CURRENT_USER, test::kTestAutostartParent); }

class DesktopWindowsTest : public e2e::DesktopPlayerTest {
protected:
    void TearDown() override {
        DesktopPlayerTest::TearDown();
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kWineAppDefaults);
        delete_values();
    }
    // Milliseconds the request takes until the log holds the text (when given) after
    // what it holds now.
    ULONGLONG duration_of(const std::function<void()>& request, const std::string& done_text = {}) {
        const std::size_t from = log_text().size();
        const ULONGLONG start = ::GetTickCount64();
        request();
        if (!done_text.empty()) {
            EXPECT_TRUE(wait_for_log(done_text, 10s, from)) << log_text().substr(from);
        }
        return ::GetTickCount64() - start;
    }
    // A wallpaper id handed over as a second start would, without the second process.
    void hand_off(const std::string& id) {
        const std::string record = core::handoff_record(id);
        COPYDATASTRUCT data{core::kHandoffTag, DWORD(record.size()), const_cast<char*>(record.data())};
        ::SendMessageTimeoutW(controller_, WM_COPYDATA, 0, LPARAM(&data), SMTO_NORMAL, 10000, nullptr);
    }
    // The control window's autostart switch: BM_CLICK ticks it, BM_GETCHECK reads it.
    LRESULT autostart_box(UINT message) {
        const std::size_t from = log_text().size();
        const HWND box = ::GetDlgItem(::FindWindowW(player::kPanelWindowClass, nullptr), player::kAutostartBox);
        DWORD_PTR result = 0;
        EXPECT_NE(::SendMessageTimeoutW(box, message, 0, 0, SMTO_NORMAL, 10000, &result), 0);
        if (message == BM_CLICK) {
            EXPECT_TRUE(wait_for_log("control command=" + std::to_string(core::CMD_AUTOSTART), kTimeout, from));
        }
        return static_cast<LRESULT>(result);
    }
};

// Explorer's desktop thread stops answering once the host lives in its WorkerW: a switch,
// a mode change either way and the exit still end within the bounded waits.
TEST_F(DesktopWindowsTest, AnExplorerThatHangsAfterTheMountNeverHoldsThePlayer) {
    // Without a window manager Wine waits 2 s whenever the player hides a top-level
    // window, which Windows never does: timed, the player's windows are Wine's to place.
    ::RegSetKeyValueW(HKEY_CURRENT_USER, (std::wstring(kWineAppDefaults) + L"\\X11 Driver").c_str(), L"Managed",
                      REG_SZ, L"N", sizeof(L"N"));
    explorer_.start({"--layout=newer", "--hang-after-mount"});
    start_player();
    ASSERT_TRUE(explorer_.reported("hung", kTimeout)) << log_text();
    const HWND worker = explorer_.handle("wallpaper_worker");
    // A switch destroys the mounted host and mounts a new one.
    ASSERT_LT(duration_of([&] { hand_off("star-chart"); }, "loaded star-chart mode=desktop"), kHungExplorerBudgetMs);
    EXPECT_EQ(::GetParent(host_window()), worker);
    // To the preview, where the host becomes the active window, and back.
    ASSERT_LT(duration_of([&] {
                  command(core::CMD_TOGGLE_DESKTOP);
                  sync();
              }),
              kHungExplorerBudgetMs);
    EXPECT_EQ(::GetParent(host_window()), nullptr);
    ASSERT_LT(duration_of([&] { command(core::CMD_TOGGLE_DESKTOP); }, "desktop mounted"), kHungExplorerBudgetMs);
    EXPECT_EQ(::GetParent(host_window()), worker);
    const ULONGLONG start = ::GetTickCount64();
    command(core::CMD_EXIT);
    EXPECT_EQ(player_->wait(10s), 0u);
    EXPECT_LT(::GetTickCount64() - start, kHungExplorerBudgetMs);
    player_.reset();
}

// Explorer settles its desktop windows a moment after the display change, moving the
// host along; the next recovery check puts it back over the primary monitor.
TEST_F(DesktopWindowsTest, AHostThatExplorerMovesLateCoversThePrimaryMonitorAgain) {
    explorer_.start({"--layout=newer", "--resize-after-display-change=200"});
    start_player();
    ASSERT_TRUE(wait_for_log("desktop mounted", kTimeout)) << log_text();
    const HWND host = host_window();
    const HWND worker = explorer_.handle("wallpaper_worker");
    const std::size_t from = log_text().size();
    for (HWND top_level : {explorer_.handle("progman"), controller_}) ::PostMessageW(top_level, WM_DISPLAYCHANGE, 32, 0);
    ASSERT_TRUE(explorer_.reported("resized", kTimeout));
    const ULONGLONG resized = ::GetTickCount64();
    ASSERT_TRUE(wait_for_log("desktop host off the primary monitor", kTimeout, from)) << log_text().substr(from);
    EXPECT_LT(::GetTickCount64() - resized, kOneRecoveryStepMs);
    ASSERT_TRUE(wait_for_log("desktop mounted", kTimeout, log_text().find("off the primary monitor", from)));
    // The same host in the same WorkerW, whose left 200 pixels now lie off the monitor.
    EXPECT_EQ(::GetParent(host), worker);
    EXPECT_TRUE(e2e::same_rect(e2e::window_rect(host), e2e::primary_monitor()));
    exit_player();
}

// The notification area refuses icons for longer than a hidden player waits for one: the
// control window shows meanwhile, and the retries bring the icon in without "TaskbarCreated".
TEST_F(DesktopWindowsTest, ANotificationAreaThatRefusesAtFirstNeverLeavesAHiddenPlayerInvisible) {
    explorer_.start({"--layout=newer", "--tray-refuses-for=20000"});
    start_player({"--startup"});
    ASSERT_TRUE(wait_for_log("optional tray unavailable: system tray unavailable", kTimeout)) << log_text();
    const HWND panel = ::FindWindowW(player::kPanelWindowClass, nullptr);
    ASSERT_TRUE(wait_for_log("no notification icon yet: showing the control window", kTimeout)) << log_text();
    EXPECT_TRUE(wait_until([&] { return ::IsWindowVisible(panel) != FALSE; }, kTimeout));
    ASSERT_TRUE(wait_for_log("tray icon added", kTimeout)) << log_text();
    EXPECT_TRUE(e2e::tray_has_icon(controller_));
    exit_player();
}

// Windows' Startup apps switch turned off keeps the player's switch off, also when it is
// turned off while the player runs; ticking it turns both on, unticking leaves Windows'
// switch alone.
TEST_F(DesktopWindowsTest, WindowsStartupAppsSwitchIsRespected) {
    delete_values();
    set_approval(kApprovalOff);  // long ago, before our Run value
    start_player({"--preview"});
    EXPECT_EQ(autostart_box(BM_GETCHECK), BST_UNCHECKED);
    autostart_box(BM_CLICK);
    EXPECT_EQ(autostart_box(BM_GETCHECK), BST_CHECKED);
    const auto run_value = read_value(kRunKey);
    ASSERT_TRUE(run_value);
    EXPECT_EQ(read_value(kApprovalKey), kApprovalOn);
    // Turned off in Task Manager: the running player shows it, and so does the next start.
    set_approval(kApprovalOff);
    EXPECT_TRUE(wait_until([&] { return autostart_box(BM_GETCHECK) == BST_UNCHECKED; }, kTimeout));
    exit_player();
    start_player({"--preview"});
    EXPECT_EQ(autostart_box(BM_GETCHECK), BST_UNCHECKED);
    autostart_box(BM_CLICK);
    EXPECT_EQ(autostart_box(BM_GETCHECK), BST_CHECKED);
    EXPECT_EQ(read_value(kApprovalKey), kApprovalOn);
    EXPECT_EQ(read_value(kRunKey), run_value);
    autostart_box(BM_CLICK);
    EXPECT_EQ(autostart_box(BM_GETCHECK), BST_UNCHECKED);
    EXPECT_EQ(read_value(kRunKey), std::nullopt);
    EXPECT_EQ(read_value(kApprovalKey), kApprovalOn);
    exit_player();
}

}  // namespace
