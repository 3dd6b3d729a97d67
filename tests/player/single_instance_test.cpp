#include "player/shell/single_instance.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "player/events/controller_event.h"
#include "player/shell/controller_window.h"
#include "player/win32/wide.h"
#include "window_classes.h"

namespace {

std::string unique_instance(const char* suffix) {
    return std::string("Tessary-test-") + suffix + "-" + std::to_string(::GetCurrentProcessId());
}

TEST(InstanceLock, TheSecondTakerLearnsThatAPlayerRuns) {
    const std::string name = unique_instance("lock");
    auto first = player::take_instance_lock(name);
    ASSERT_TRUE(first);
    ASSERT_TRUE(first->has_value());
    auto second = player::take_instance_lock(name);
    ASSERT_TRUE(second);
    EXPECT_FALSE(second->has_value());
    // Once the holder is gone the name is free again.
    first->reset();
    auto third = player::take_instance_lock(name);
    ASSERT_TRUE(third);
    EXPECT_TRUE(third->has_value());
}

TEST(HandOff, IdReachesTheRunningPlayerThenItIsAskedToShowItself) {
    ASSERT_TRUE(test::ensure_window_class(player::kControllerWindowClass, player::register_controller_window_class));
    const std::string name = unique_instance("handoff");
    auto window = player::ControllerWindow::create(name);
    ASSERT_TRUE(window);
    player::clear_events();

    ASSERT_TRUE(player::hand_off_to_running_player(name, {.wallpaper_id = core::validate_requested_id("aurora").value(), .startup = false}));
    auto event = player::pop_event();
    ASSERT_TRUE(event);
    EXPECT_EQ(std::get<core::RequestedId>(event->payload), "aurora");

    MSG message;
    std::vector<UINT> posted;
    while (::PeekMessageW(&message, window->handle(), 0, 0, PM_REMOVE)) posted.push_back(message.message);
    EXPECT_EQ(posted, (std::vector<UINT>{player::MSG_QUEUE_WAKE, player::MSG_SHOW_CONTROL}));

    // Started by autostart: nothing is shown.
    ASSERT_TRUE(player::hand_off_to_running_player(name, {.wallpaper_id = std::nullopt, .startup = true}));
    EXPECT_FALSE(::PeekMessageW(&message, window->handle(), 0, 0, PM_REMOVE));
    player::clear_events();
}

TEST(HandOff, AHungPlayerFailsTheSenderAfterTheTimeOut) {
    ASSERT_TRUE(test::ensure_window_class(player::kControllerWindowClass, player::register_controller_window_class));
    const std::string name = unique_instance("hung");
    HANDLE created = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    // The "running player" creates its window on another thread and then stops pumping.
    std::thread hung([&] {
        auto window = player::ControllerWindow::create(name);
        ::SetEvent(created);
        ::WaitForSingleObject(release, 20000);
    });
    ASSERT_EQ(::WaitForSingleObject(created, 10000), WAIT_OBJECT_0);
    const auto result = player::hand_off_to_running_player(name, {.wallpaper_id = core::validate_requested_id("aurora").value(), .startup = true});
    ::SetEvent(release);
    hung.join();
    ::CloseHandle(created);
    ::CloseHandle(release);
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().message(), "运行中的播放器未能接收作品选择，请关闭后重试");
}

}  // namespace
