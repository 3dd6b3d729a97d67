#include "player/shell/tray_icon.h"

#include <gtest/gtest.h>

#include "controller_fixture.h"
#include "wine.h"

namespace {

using TrayIconTest = test::ControllerFixture;

// Wine's own tray keeps icons across a restarted desktop, as a re-created taskbar may: a
// "TaskbarCreated" that finds the icon still there must not report the tray as lost.
TEST_F(TrayIconTest, TaskbarCreatedWithTheIconStillThereIsNoFailure) {
    // Wine always has its tray; a Windows session may have no notification area at all (a
    // server without Explorer's taskbar, a service's desktop).
    if (!test::under_wine() && ::FindWindowW(L"Shell_TrayWnd", nullptr) == nullptr) {
        GTEST_SKIP() << "no notification area (Shell_TrayWnd) in this Windows session";
    }
    controller_->add_tray_icon();
    ASSERT_EQ(count_lines("optional tray unavailable"), 0u) << "no tray here to test with";
    const UINT taskbar_created = ::RegisterWindowMessageW(L"TaskbarCreated");
    controller_->set_taskbar_created_message(taskbar_created);
    controller_->handle_event({taskbar_created, 0, {}});
    EXPECT_EQ(count_lines("tray recovery"), 0u);
    EXPECT_FALSE(controller_->status_text());
}

}  // namespace
