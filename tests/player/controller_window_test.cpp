#include "player/shell/controller_window.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "core/shell/commands.h"
#include "core/shell/handoff.h"
#include "player/events/controller_event.h"
#include "player/shell/message_loop.h"
#include "player/win32/unique_resource.h"
#include "window_classes.h"

namespace {

using player::ControllerEvent;

class ControllerWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(test::ensure_window_class(player::kControllerWindowClass,
                                              player::register_controller_window_class));
    }
    void SetUp() override {
        player::clear_events();
        auto created = player::ControllerWindow::create("Tessary-test-window");
        ASSERT_TRUE(created) << created.error().chain();
        window_.emplace(std::move(*created));
        drain_posted();
    }
    void TearDown() override {
        window_.reset();
        drain_posted();
        player::clear_events();
    }

    HWND hwnd() const { return window_->handle(); }

    std::vector<ControllerEvent> queued() {
        std::vector<ControllerEvent> events;
        while (auto event = player::pop_event()) events.push_back(std::move(*event));
        return events;
    }

    // Posted messages waiting for the window, in order (WM_QUIT included).
    std::vector<UINT> drain_posted() {
        std::vector<UINT> messages;
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) messages.push_back(message.message);
        return messages;
    }

    LRESULT send_copy_data(ULONG_PTR tag, const std::string& bytes, bool with_data = true) {
        COPYDATASTRUCT data{};
        data.dwData = tag;
        data.cbData = static_cast<DWORD>(bytes.size());
        data.lpData = with_data ? const_cast<char*>(bytes.data()) : nullptr;
        return ::SendMessageW(hwnd(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
    }

    std::optional<player::ControllerWindow> window_;
};

TEST_F(ControllerWindowTest, HandOffOfAValidIdIsQueuedAndAnswered1) {
    EXPECT_EQ(send_copy_data(core::kHandoffTag, core::handoff_record("aurora")), 1);
    const auto events = queued();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].message, player::MSG_SELECT_WALLPAPER);
    EXPECT_EQ(std::get<core::RequestedId>(events[0].payload), "aurora");
    EXPECT_EQ(drain_posted(), std::vector<UINT>{player::MSG_QUEUE_WAKE});
}

TEST_F(ControllerWindowTest, BadHandOffRecordsAreAnswered0AndNotQueued) {
    EXPECT_EQ(send_copy_data(core::kHandoffTag, std::string(101, 'a') + '\0'), 0);  // 102 bytes
    EXPECT_EQ(send_copy_data(core::kHandoffTag, "aurora"), 0);                       // no zero byte
    EXPECT_EQ(send_copy_data(core::kHandoffTag, core::handoff_record("a b")), 0);
    EXPECT_EQ(send_copy_data(0x12345678, core::handoff_record("aurora")), 0);        // another tag
    EXPECT_EQ(send_copy_data(core::kHandoffTag, core::handoff_record("aurora"), false), 0);
    EXPECT_TRUE(queued().empty());
    EXPECT_TRUE(drain_posted().empty());
}

TEST_F(ControllerWindowTest, CommandsTimerAndNoticesAreQueuedWithoutWakeUp) {
    ::SendMessageW(hwnd(), WM_COMMAND, core::CMD_FPS_30, 0);
    ::SendMessageW(hwnd(), WM_TIMER, player::kTickTimerId, 0);
    ::SendMessageW(hwnd(), WM_TIMER, 7, 0);  // not the tick
    ::SendMessageW(hwnd(), player::MSG_REFRESH_CONTROL, 0, 0);
    ::SendMessageW(hwnd(), player::MSG_SHOW_CONTROL, 0, 0);
    ::SendMessageW(hwnd(), player::MSG_TRAY_MENU, 0, 0);
    ::SendMessageW(hwnd(), WM_DISPLAYCHANGE, 32, MAKELPARAM(1920, 1080));
    ::SendMessageW(hwnd(), WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 1);
    const auto events = queued();
    std::vector<std::pair<UINT, WPARAM>> seen;
    for (const auto& event : events) seen.emplace_back(event.message, event.wparam);
    const std::vector<std::pair<UINT, WPARAM>> expected = {
        {WM_COMMAND, core::CMD_FPS_30},        {WM_TIMER, player::kTickTimerId}, {player::MSG_REFRESH_CONTROL, 0},
        {player::MSG_SHOW_CONTROL, 0}, {player::MSG_TRAY_MENU, 0},  {WM_DISPLAYCHANGE, 32},
        {WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK}};
    EXPECT_EQ(seen, expected);
    EXPECT_TRUE(drain_posted().empty());
}

TEST_F(ControllerWindowTest, TaskbarCreatedIsQueuedOnlyOnceRegistered) {
    const UINT taskbar_created = ::RegisterWindowMessageW(L"TaskbarCreated");
    ::SendMessageW(hwnd(), taskbar_created, 0, 0);
    ::SendMessageW(hwnd(), WM_NULL, 0, 0);
    EXPECT_TRUE(queued().empty());
    window_->set_taskbar_created_message(taskbar_created);
    ::SendMessageW(hwnd(), WM_NULL, 0, 0);
    ::SendMessageW(hwnd(), taskbar_created, 0, 0);
    const auto events = queued();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].message, taskbar_created);
}

TEST_F(ControllerWindowTest, TrayCallbackPostsMenuOrShowByMouseMessage) {
    for (const UINT mouse : {WM_CONTEXTMENU, WM_LBUTTONDBLCLK, WM_RBUTTONUP}) {
        EXPECT_EQ(::SendMessageW(hwnd(), player::MSG_TRAY_CALLBACK, 1, MAKELPARAM(mouse, 0)), 0);
    }
    ::SendMessageW(hwnd(), player::MSG_TRAY_CALLBACK, 1, MAKELPARAM(WM_LBUTTONUP, 0));
    ::SendMessageW(hwnd(), player::MSG_TRAY_CALLBACK, 1, MAKELPARAM(WM_MOUSEMOVE, 0));
    EXPECT_TRUE(queued().empty());
    const std::vector<UINT> expected = {player::MSG_TRAY_MENU, player::MSG_TRAY_MENU, player::MSG_TRAY_MENU,
                                        player::MSG_SHOW_CONTROL};
    EXPECT_EQ(drain_posted(), expected);
}

TEST_F(ControllerWindowTest, DisplayStateSettingIsQueuedOtherSettingsAreNot) {
    alignas(POWERBROADCAST_SETTING) BYTE buffer[sizeof(POWERBROADCAST_SETTING) + sizeof(DWORD)]{};
    auto* setting = reinterpret_cast<POWERBROADCAST_SETTING*>(buffer);
    setting->PowerSetting = GUID_CONSOLE_DISPLAY_STATE;
    setting->DataLength = sizeof(DWORD);
    const DWORD off = 0;
    ::memcpy(setting->Data, &off, sizeof(off));
    EXPECT_EQ(::SendMessageW(hwnd(), WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(setting)),
              TRUE);
    setting->PowerSetting = GUID_ACDC_POWER_SOURCE;
    EXPECT_EQ(::SendMessageW(hwnd(), WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(setting)),
              TRUE);
    ::SendMessageW(hwnd(), WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    const auto events = queued();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].message, player::MSG_DISPLAY_STATE);
    EXPECT_EQ(std::get<std::uint32_t>(events[0].payload), 0u);
    EXPECT_EQ(events[1].message, static_cast<UINT>(WM_POWERBROADCAST));
    EXPECT_EQ(events[1].wparam, static_cast<WPARAM>(PBT_APMSUSPEND));
}

TEST_F(ControllerWindowTest, DestroyingTheWindowPostsQuit) {
    window_->destroy();
    const auto posted = drain_posted();
    EXPECT_NE(std::find(posted.begin(), posted.end(), static_cast<UINT>(WM_QUIT)), posted.end());
}

// Records what the loop hands over; the exit command stops the draining.
struct RecordingHandler : player::EventHandler {
    std::vector<UINT> handled;
    bool handle_event(const ControllerEvent& event) override {
        handled.push_back(event.message == WM_COMMAND ? static_cast<UINT>(event.wparam) : event.message);
        if (event.message == WM_COMMAND && event.wparam == core::CMD_EXIT) {
            ::PostQuitMessage(0);
            return false;
        }
        return true;
    }
    HWND dialog_window() const override { return nullptr; }
};

TEST_F(ControllerWindowTest, LoopHandlesEventsInOrderAndDropsTheRestAfterExit) {
    // Events queued while a nested loop ran (a menu, say): the exit among them drops the
    // ones behind it.
    player::queue_event(ControllerEvent{player::MSG_REFRESH_CONTROL, 0, {}});
    player::queue_event(ControllerEvent{WM_COMMAND, core::CMD_FPS_30, {}});
    player::queue_event(ControllerEvent{WM_COMMAND, core::CMD_EXIT, {}});
    player::queue_event(ControllerEvent{WM_COMMAND, core::CMD_FPS_60, {}});
    player::queue_event(ControllerEvent{player::MSG_REFRESH_CONTROL, 0, {}});
    RecordingHandler handler;
    ASSERT_TRUE(player::run_message_loop(handler));
    EXPECT_EQ(handler.handled, (std::vector<UINT>{player::MSG_REFRESH_CONTROL, core::CMD_FPS_30, core::CMD_EXIT}));
    EXPECT_TRUE(queued().empty());
}

// The loop sleeps on the Run key's change event beside the messages and hands a change
// over as an event of its own.
TEST_F(ControllerWindowTest, LoopTurnsAChangeOfTheRunKeyIntoAnEvent) {
    struct WatchingHandler : RecordingHandler {
        win32::unique_handle changed{::CreateEventW(nullptr, FALSE, TRUE, nullptr)};
        HANDLE autostart_changed() const override { return changed.get(); }
        bool handle_event(const ControllerEvent& event) override {
            RecordingHandler::handle_event(event);
            if (event.message == player::MSG_AUTOSTART_CHANGED) ::PostQuitMessage(0);
            return true;
        }
    } handler;
    ASSERT_TRUE(player::run_message_loop(handler));
    EXPECT_EQ(handler.handled, std::vector<UINT>{player::MSG_AUTOSTART_CHANGED});
    EXPECT_EQ(::WaitForSingleObject(handler.changed.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

}  // namespace
