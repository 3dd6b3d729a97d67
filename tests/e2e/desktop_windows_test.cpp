// The desktop half against Explorer as real Windows 10, 11 and 11 24H2 run it: a desktop
// thread that hangs, a late resize after a display change, a notification area that is
// not ready at logon, and Windows' own Startup apps switch. (24H2's composition is a case
// of the mount in each layout, desktop_mount_test.cpp.)
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "core/shell/commands.h"
#include "core/shell/handoff.h"
#include "desktop_fixture.h"
#include "player/controls/panel_ids.h"
#include "player/win32/unique_resource.h"

namespace {

using namespace std::chrono_literals;
using e2e::DesktopPlayerTest;
using e2e::wait_until;

constexpr auto kTimeout = 30s;
// What the player may spend on a request while Explorer hangs: the bounded waits on
// Explorer with room for a loaded machine.
constexpr ULONGLONG kHungExplorerBudgetMs = 3500;
// One recovery check (every 2 s) after Explorer moved the desktop, with room for a loaded
// machine.
constexpr ULONGLONG kOneRecoveryStepMs = 4000;

const wchar_t* const kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t* const kApprovalKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
const std::vector<BYTE> kApprovalDisabled = {0x03, 0, 0, 0, 0xd4, 0x0d, 0x43, 0x8d, 0xc8, 0x3b, 0xd9, 0x01};
const std::vector<BYTE> kApprovalEnabled = {0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

// The bytes of the player's value under the current user's key; none when it is absent.
std::optional<std::vector<BYTE>> read_value(const wchar_t* subkey) {
    std::vector<BYTE> bytes(1024);
    DWORD size = static_cast<DWORD>(bytes.size());
    if (::RegGetValueW(HKEY_CURRENT_USER, subkey, L"Tessary", RRF_RT_ANY, nullptr, bytes.data(), &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    bytes.resize(size);
    return bytes;
}

void write_value(const wchar_t* subkey, DWORD type, const std::vector<BYTE>& bytes) {
    win32::unique_hkey key;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, subkey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExW(key.get(), L"Tessary", 0, type, bytes.data(), static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
}

void delete_values() {
    for (const wchar_t* subkey : {kRunKey, kApprovalKey}) ::RegDeleteKeyValueW(HKEY_CURRENT_USER, subkey, L"Tessary");
}

// Without a window manager Wine waits two seconds whenever the player hides one of its
// top-level windows, which Windows never does: timed scenarios let Wine place the
// player's windows itself.
class UnmanagedPlayerWindows {
public:
    UnmanagedPlayerWindows() {
        win32::unique_hkey key;
        ::RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr);
        ::RegSetValueExW(key.get(), L"Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"N"), sizeof(L"N"));
    }
    ~UnmanagedPlayerWindows() { ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\tessary.exe"); }

private:
    static constexpr const wchar_t* kKey = L"Software\\Wine\\AppDefaults\\tessary.exe\\X11 Driver";
};

class DesktopWindowsTest : public DesktopPlayerTest {
protected:
    // Milliseconds until the log holds the text after what it holds now, once the action ran.
    ULONGLONG time_until_logged(const std::function<void()>& action, const std::string& text) {
        const std::size_t from = log_text().size();
        const ULONGLONG start = ::GetTickCount64();
        action();
        // A player held by Explorer stays held: no need to wait long.
        EXPECT_TRUE(wait_for_log(text, 10s, from)) << log_text().substr(from);
        return ::GetTickCount64() - start;
    }
    // Hands a wallpaper id over as a second start would, without the second process.
    void hand_off(const std::string& id) {
        const std::string record = core::handoff_record(id);
        COPYDATASTRUCT data{core::kHandoffTag, static_cast<DWORD>(record.size()), const_cast<char*>(record.data())};
        DWORD_PTR result = 0;
        EXPECT_NE(::SendMessageTimeoutW(controller_, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_NORMAL,
                                        10000, &result),
                  0);
    }
    HWND autostart_box() const {
        return ::GetDlgItem(::FindWindowW(player::kPanelWindowClass, nullptr), player::kAutostartBox);
    }
    // Clicks the control window's autostart switch and waits until the player handled it.
    void click_autostart_box() {
        const std::size_t from = log_text().size();
        DWORD_PTR ignored = 0;
        ASSERT_NE(::SendMessageTimeoutW(autostart_box(), BM_CLICK, 0, 0, SMTO_NORMAL, 10000, &ignored), 0);
        ASSERT_TRUE(wait_for_log("control command=" + std::to_string(core::CMD_AUTOSTART), kTimeout, from));
        sync();
    }
    bool autostart_box_checked() const {
        DWORD_PTR state = 0;
        ::SendMessageTimeoutW(autostart_box(), BM_GETCHECK, 0, 0, SMTO_NORMAL, 10000, &state);
        return state == BST_CHECKED;
    }
};

// Explorer's desktop thread stops answering while the host lives in its WorkerW: a switch,
// a mode change either way and the exit still end within the bounded waits.
TEST_F(DesktopWindowsTest, AnExplorerThatHangsAfterTheMountNeverHoldsThePlayer) {
    const UnmanagedPlayerWindows unmanaged;
    explorer_.start({"--layout=newer", "--hang-after-mount"});
    start_player();
    ASSERT_TRUE(wait_for_log("desktop mounted", kTimeout)) << log_text();
    ASSERT_TRUE(explorer_.reported("hung", kTimeout));
    const HWND worker = explorer_.handle("wallpaper_worker");

    // A switch drops the mounted host and mounts a new one into the hung WorkerW.
    ASSERT_LT(time_until_logged([&] { hand_off("star-chart"); }, "loaded star-chart mode=desktop"),
              kHungExplorerBudgetMs);
    EXPECT_EQ(::GetParent(host_window()), worker);
    // To the preview, where the host becomes the active window, and back.
    ASSERT_LT(time_until_logged([&] { command(core::CMD_TOGGLE_DESKTOP); command(103); }, "control command=103"),
              kHungExplorerBudgetMs);
    EXPECT_EQ(::GetParent(host_window()), nullptr);
    ASSERT_LT(time_until_logged([&] { command(core::CMD_TOGGLE_DESKTOP); }, "desktop mounted"),
              kHungExplorerBudgetMs);
    EXPECT_EQ(::GetParent(host_window()), worker);
    // The exit destroys the mounted host.
    const ULONGLONG start = ::GetTickCount64();
    command(core::CMD_EXIT);
    EXPECT_EQ(player_->wait(10s), 0u);
    EXPECT_LT(::GetTickCount64() - start, kHungExplorerBudgetMs);
    EXPECT_NE(log_text().find("clean shutdown"), std::string::npos);
    player_.reset();
}

// Explorer settles its desktop windows a moment after the display change was reported,
// taking the host along; the next recovery check puts it back over the primary monitor.
TEST_F(DesktopWindowsTest, AHostThatExplorerMovesLateCoversThePrimaryMonitorAgain) {
    explorer_.start({"--layout=newer", "--resize-after-display-change=200"});
    start_player();
    ASSERT_TRUE(wait_for_log("desktop mounted", kTimeout)) << log_text();
    const HWND host = host_window();
    const HWND worker = explorer_.handle("wallpaper_worker");
    const std::size_t from = log_text().size();
    // Windows tells every top-level window.
    const RECT primary = e2e::primary_monitor();
    const LPARAM size = MAKELPARAM(primary.right - primary.left, primary.bottom - primary.top);
    ::PostMessageW(explorer_.handle("progman"), WM_DISPLAYCHANGE, 32, size);
    ::PostMessageW(controller_, WM_DISPLAYCHANGE, 32, size);
    ASSERT_TRUE(explorer_.reported("resized", kTimeout));
    const ULONGLONG resized = ::GetTickCount64();
    ASSERT_TRUE(wait_for_log("desktop host off the primary monitor", kTimeout, from)) << log_text().substr(from);
    EXPECT_LT(::GetTickCount64() - resized, kOneRecoveryStepMs);
    ASSERT_TRUE(wait_for_log("desktop mounted", kTimeout, log_text().find("off the primary monitor", from)));
    // The same host in the same WorkerW, over the primary monitor, which now starts 200
    // pixels into the WorkerW.
    EXPECT_EQ(host_window(), host);
    EXPECT_EQ(::GetParent(host), worker);
    EXPECT_TRUE(e2e::same_rect(e2e::window_rect(host), primary));
    RECT in_worker = e2e::window_rect(host);
    ::MapWindowPoints(nullptr, worker, reinterpret_cast<POINT*>(&in_worker), 2);
    EXPECT_EQ(in_worker.left, 200);
    exit_player();
}

// At logon the notification area may refuse icons for a while; a player started hidden
// must show its control window meanwhile, and gets its icon once the area takes it.
TEST_F(DesktopWindowsTest, ANotificationAreaThatRefusesAtFirstNeverLeavesAHiddenPlayerInvisible) {
    // Longer than a hidden player waits for its icon.
    explorer_.start({"--layout=newer", "--tray-refuses-for=20000"});
    start_player({"--startup"});
    ASSERT_TRUE(wait_for_log("optional tray unavailable: system tray unavailable", kTimeout)) << log_text();
    const HWND panel = ::FindWindowW(player::kPanelWindowClass, nullptr);
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(wait_for_log("no notification icon yet: showing the control window", kTimeout)) << log_text();
    EXPECT_TRUE(wait_until([&] { return ::IsWindowVisible(panel) != FALSE; }, kTimeout));
    // The retries put the icon in once the area takes it, with no "TaskbarCreated".
    ASSERT_TRUE(wait_for_log("tray icon added", kTimeout)) << log_text();
    EXPECT_TRUE(e2e::tray_has_icon(controller_));
    exit_player();
}

// Windows' Startup apps switch for our Run value keeps the player's switch off; ticking it
// turns both on, and unticking leaves Windows' switch alone.
TEST_F(DesktopWindowsTest, WindowsStartupAppsSwitchIsRespected) {
    delete_values();
    // Turned off in Task Manager long ago; our Run value is not there yet.
    write_value(kApprovalKey, REG_BINARY, kApprovalDisabled);
    start_player({"--preview"});
    EXPECT_FALSE(autostart_box_checked());
    click_autostart_box();
    EXPECT_TRUE(autostart_box_checked());
    const auto run_value = read_value(kRunKey);
    ASSERT_TRUE(run_value);
    EXPECT_EQ(read_value(kApprovalKey), kApprovalEnabled);

    // The user turns it off in Task Manager; the player's switch says so.
    write_value(kApprovalKey, REG_BINARY, kApprovalDisabled);
    exit_player();
    start_player({"--preview"});
    EXPECT_FALSE(autostart_box_checked());
    EXPECT_EQ(read_value(kRunKey), run_value);
    click_autostart_box();
    EXPECT_TRUE(autostart_box_checked());
    EXPECT_EQ(read_value(kApprovalKey), kApprovalEnabled);
    // Off from the player: its own value goes, Windows' switch stays as it is.
    click_autostart_box();
    EXPECT_FALSE(autostart_box_checked());
    EXPECT_EQ(read_value(kRunKey), std::nullopt);
    EXPECT_EQ(read_value(kApprovalKey), kApprovalEnabled);
    exit_player();
    delete_values();
}

}  // namespace
