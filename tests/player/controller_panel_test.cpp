#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controller_fixture.h"
#include "core/shell/commands.h"
#include "core/shell/status_text.h"
#include "player/controls/control_window.h"
#include "player/controls/panel_ids.h"
#include "player/controls/panel_internal.h"
#include "player/events/controller_event.h"
#include "player/library/removal.h"
#include "player/shell/autostart.h"
#include "player/win32/wide.h"
#include "window_classes.h"

namespace {

// The controller with its control window, as the start-up makes it (hidden here), and the
// removal confirmation answered "no" by the test.
class ControllerPanelTest : public test::ControllerFixture {
protected:
    void SetUp() override {
        ASSERT_TRUE(test::ensure_window_class(player::kPanelWindowClass, player::register_panel_window_class));
        test::ControllerFixture::SetUp();
        ASSERT_TRUE(controller_->create_control(false));
        panel_ = controller_->dialog_window();
        ASSERT_NE(panel_, nullptr);
    }
    void adjust_setup(player::ControllerSetup& setup) override {
        setup.startup = startup_;
        setup.clock = [this] { return now_; };
        setup.removal_prompts.confirm = [this](HWND owner, std::string_view name, std::string_view) {
            asked_.emplace_back(name);
            EXPECT_EQ(owner, panel_);
            return false;
        };
    }

    player::PanelState& panel() const { return *player::panel_state_of(panel_); }
    HWND child(int id) const { return ::GetDlgItem(panel_, id); }
    void set_value(const std::wstring& subkey, DWORD type, const void* data, std::size_t size) const {
        ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, subkey.c_str(), L"Tessary", type, data, DWORD(size)),
                  ERROR_SUCCESS);
    }
    // The switch once the loop has handed over the change the watch reported.
    LRESULT followed_box() {
        EXPECT_EQ(::WaitForSingleObject(controller_->autostart_changed(), 5000), WAIT_OBJECT_0);
        EXPECT_TRUE(controller_->handle_event(player::ControllerEvent{.message = player::MSG_AUTOSTART_CHANGED}));
        return ::SendMessageW(child(player::kAutostartBox), BM_GETCHECK, 0, 0);
    }
    // What the window sent the controller window, handed over as the loop would.
    void deliver_commands() {
        MSG message;
        while (::PeekMessageW(&message, controller_->controller_window(), WM_COMMAND, WM_COMMAND, PM_REMOVE)) {
            if (message.message == WM_COMMAND) controller_->dispatch(LOWORD(message.wParam));
        }
    }

    bool startup_ = false;
    core::MonotonicTime now_ = std::chrono::steady_clock::now();
    HWND panel_ = nullptr;
    std::vector<std::string> asked_;
    const std::wstring run_key_ = autostart().subkey;
};

TEST_F(ControllerPanelTest, TheWindowShowsWhatPlaysAndTheLibrary) {
    play_first();
    controller_->refresh_control();
    EXPECT_EQ(panel().content.title, "alpha");
    EXPECT_EQ(panel().content.status, "当前是窗口预览");  // started in preview, not asking for the desktop
    EXPECT_EQ(panel().content.tone, core::StatusTone::preview);
    EXPECT_EQ(panel().wallpapers.size(), 2u);
    EXPECT_EQ(panel().id_in_use, "alpha");
    EXPECT_EQ(::SendMessageW(child(player::kWallpaperList), LB_GETCURSEL, 0, 0), 0);

    controller_->dispatch(core::CMD_TOGGLE_PAUSE);
    EXPECT_EQ(panel().content.user_paused, true);
    wchar_t caption[32] = {};
    ::GetWindowTextW(child(player::kPauseButton), caption, 32);
    EXPECT_EQ(std::wstring(caption), L"继续播放");
}

TEST_F(ControllerPanelTest, PickingACardPlaysItAndTheDeleteKeyAsksAboutIt) {
    play_first();
    controller_->refresh_control();
    const HWND list = child(player::kWallpaperList);
    ::SendMessageW(list, LB_SETCURSEL, 1, 0);
    ::SendMessageW(panel_, WM_COMMAND, MAKEWPARAM(player::kWallpaperList, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    deliver_commands();
    EXPECT_EQ(count_lines("free library load: id=beta"), 1u);
    EXPECT_EQ(panel().id_in_use, "beta");

    ::SendMessageW(list, WM_KEYDOWN, VK_DELETE, 0);
    deliver_commands();
    EXPECT_EQ(asked_, std::vector<std::string>{"beta"});
    EXPECT_EQ(controller_->library().entries.size(), 2u);  // answered no: nothing changed
    EXPECT_FALSE(controller_->status_text());
}

TEST_F(ControllerPanelTest, TheAutostartSwitchWritesTheRunEntryAndAlwaysShowsTheRegistry) {
    const auto run_value = [this] { return player::read_autostart_value(autostart()).value(); };
    ::SendMessageW(child(player::kAutostartBox), BM_CLICK, 0, 0);
    deliver_commands();
    EXPECT_EQ(run_value(), player::expected_autostart_value(autostart()).value());
    EXPECT_EQ(::SendMessageW(child(player::kAutostartBox), BM_GETCHECK, 0, 0), BST_CHECKED);
    ::SendMessageW(child(player::kAutostartBox), BM_CLICK, 0, 0);
    deliver_commands();
    EXPECT_EQ(run_value(), std::nullopt);

    // Another copy's entry is left alone, and the switch goes back to off.
    const std::wstring other = L"\"C:\\Elsewhere\\tessary.exe\" --startup";
    set_value(run_key_, REG_SZ, other.c_str(), (other.size() + 1) * sizeof(wchar_t));
    ::SendMessageW(child(player::kAutostartBox), BM_CLICK, 0, 0);
    deliver_commands();
    EXPECT_TRUE(logged("command 114: 已有不同位置的 Tessary 启动项，请先在原程序取消开机启动"));
    EXPECT_EQ(::SendMessageW(child(player::kAutostartBox), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(run_value(), "\"C:\\Elsewhere\\tessary.exe\" --startup");
    EXPECT_EQ(controller_->status_text(), std::string(core::kGenericFailureStatus));
}

// A nested loop (the delete confirmation, say) inside one of the window's handlers: the
// requests it leaves wait until the window is free again.
TEST_F(ControllerPanelTest, RequestsWaitWhileTheWindowIsInUseAndTheShowMessageBringsItUp) {
    play_first();
    panel().pending_selection = "beta";
    panel().pending_deletion = "alpha";
    panel().in_use = true;
    controller_->dispatch(core::CMD_SELECT_FROM_LIST);
    controller_->dispatch(core::CMD_REMOVE_WALLPAPER);
    EXPECT_EQ(count_lines("free library load: id=beta"), 0u);
    EXPECT_TRUE(asked_.empty());
    panel().in_use = false;
    controller_->dispatch(core::CMD_SELECT_FROM_LIST);
    EXPECT_EQ(count_lines("free library load: id=beta"), 1u);
    controller_->dispatch(core::CMD_REMOVE_WALLPAPER);
    EXPECT_EQ(asked_, std::vector<std::string>{"alpha"});

    EXPECT_FALSE(::IsWindowVisible(panel_));
    controller_->handle_event({player::MSG_SHOW_CONTROL, 0, {}});
    EXPECT_TRUE(::IsWindowVisible(panel_));
    EXPECT_FALSE(::IsIconic(panel_));
}

// A Run value written or removed by another program, and Windows' Startup apps switch
// turned off in Task Manager, reach the switch through the change event the loop waits on.
TEST_F(ControllerPanelTest, TheAutostartSwitchFollowsChangesMadeElsewhere) {
    ASSERT_NE(controller_->autostart_changed(), nullptr);
    const std::wstring ours = win32::to_wide(player::expected_autostart_value(autostart()).value()).value();
    set_value(run_key_, REG_SZ, ours.c_str(), (ours.size() + 1) * sizeof(wchar_t));
    EXPECT_EQ(followed_box(), BST_CHECKED);
    ASSERT_EQ(::RegDeleteKeyValueW(HKEY_CURRENT_USER, run_key_.c_str(), L"Tessary"), ERROR_SUCCESS);
    EXPECT_EQ(followed_box(), BST_UNCHECKED);  // armed again by the handling

    // The Run key deleted, then made again with our value, and the first Startup apps flag
    // making its key: the tick finds both and watches them.
    ASSERT_EQ(::RegDeleteTreeW(HKEY_CURRENT_USER, run_key_.c_str()), ERROR_SUCCESS);
    set_value(run_key_, REG_SZ, ours.c_str(), (ours.size() + 1) * sizeof(wchar_t));
    BYTE flag[12] = {0x02};
    set_value(autostart().approval_subkey, REG_BINARY, flag, sizeof(flag));
    now_ += std::chrono::seconds(2);
    controller_->refresh_playback();
    EXPECT_EQ(::SendMessageW(child(player::kAutostartBox), BM_GETCHECK, 0, 0), BST_CHECKED);
    flag[0] = 0x03;
    set_value(autostart().approval_subkey, REG_BINARY, flag, sizeof(flag));
    EXPECT_EQ(followed_box(), BST_UNCHECKED);
    ASSERT_EQ(::RegDeleteKeyValueW(HKEY_CURRENT_USER, run_key_.c_str(), L"Tessary"), ERROR_SUCCESS);
    EXPECT_EQ(::WaitForSingleObject(controller_->autostart_changed(), 5000), WAIT_OBJECT_0);
}

class ControllerStartedHiddenTest : public ControllerPanelTest {
protected:
    void SetUp() override {
        startup_ = true;
        ControllerPanelTest::SetUp();
    }
};

TEST_F(ControllerStartedHiddenTest, TheWindowComesForwardOnceThereIsAProblem) {
    controller_->refresh_control();
    EXPECT_FALSE(::IsWindowVisible(panel_));
    controller_->start_first_wallpaper(core::validate_requested_id("gamma").value());
    controller_->refresh_control();
    EXPECT_TRUE(::IsWindowVisible(panel_));
    EXPECT_EQ(panel().content.status, "操作暂时没有完成");
    EXPECT_EQ(panel().content.tone, core::StatusTone::problem);
}

}  // namespace
