#include <windows.h>

#include <gtest/gtest.h>

#include <future>

#include "child_process.h"
#include "core/error/error.h"
#include "player/shell/startup_failure.h"

namespace {

using namespace std::chrono_literals;

// A failure after the controller window existed: its teardown posted the quit message
// before the box is shown. The box must still wait for the user.
TEST(StartupFailure, TheBoxWaitsForTheUserEvenWithAQuitMessagePending) {
    ::PostQuitMessage(0);
    auto seen = std::async(std::launch::async, [] {
        auto box = test::wait_for_message_box(::GetCurrentProcessId(), 10s);
        if (box) test::dismiss(*box);
        return box;
    });
    player::report_startup_failure(core::Error("control window creation failed", core::Error("1400")));

    const auto box = seen.get();
    ASSERT_TRUE(box) << "the message box closed before anyone saw it";
    EXPECT_EQ(box->text, "启动失败：\ncontrol window creation failed: 1400");
    MSG left{};
    EXPECT_FALSE(::PeekMessageW(&left, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

}  // namespace
