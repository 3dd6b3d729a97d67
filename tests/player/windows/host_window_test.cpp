#include "player/windows/host_window.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "host_test_support.h"
#include "player/win32/unique_resource.h"
#include "window_classes.h"

namespace {

class HostWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(test::ensure_window_class(player::kHostWindowClass, player::register_host_window_class));
    }
    void SetUp() override {
        host_.reset(::CreateWindowExW(WS_EX_APPWINDOW, player::kHostWindowClass, L"host", WS_OVERLAPPEDWINDOW,
                                      CW_USEDEFAULT, CW_USEDEFAULT, 300, 200, nullptr, nullptr,
                                      ::GetModuleHandleW(nullptr), nullptr));
        ASSERT_TRUE(host_);
    }

    LRESULT mouse_activate() {
        return ::SendMessageW(host_.get(), WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(host_.get()),
                              MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
    }

    win32::unique_window host_;
    test::MessageSink controller_;
};

TEST_F(HostWindowTest, CloseAsksTheControllerToExitAndKeepsTheWindow) {
    ::SetWindowLongPtrW(host_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(controller_.handle()));
    EXPECT_EQ(::SendMessageW(host_.get(), WM_CLOSE, 0, 0), 0);
    EXPECT_TRUE(::IsWindow(host_.get()));
    const auto posted = controller_.take_posted();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].message, static_cast<UINT>(WM_COMMAND));
    EXPECT_EQ(posted[0].wParam, 107u);
    EXPECT_EQ(posted[0].lParam, 0);
}

TEST_F(HostWindowTest, CloseWithoutAControllerDoesNothing) {
    EXPECT_EQ(::SendMessageW(host_.get(), WM_CLOSE, 0, 0), 0);
    EXPECT_TRUE(::IsWindow(host_.get()));
    EXPECT_TRUE(controller_.take_posted().empty());
}

TEST_F(HostWindowTest, MouseActivationIsRefusedOnlyWhileAChild) {
    EXPECT_EQ(mouse_activate(), MA_ACTIVATE);
    const LONG_PTR style = ::GetWindowLongPtrW(host_.get(), GWL_STYLE);
    ::SetWindowLongPtrW(host_.get(), GWL_STYLE, (style & ~static_cast<LONG_PTR>(WS_POPUP)) | WS_CHILD);
    EXPECT_EQ(mouse_activate(), MA_NOACTIVATE);
    ::SetWindowLongPtrW(host_.get(), GWL_STYLE, style);
    EXPECT_EQ(mouse_activate(), MA_ACTIVATE);
}

TEST_F(HostWindowTest, ClassShapeAndASecondRegistrationFails) {
    WNDCLASSEXW info{};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(::GetClassInfoExW(::GetModuleHandleW(nullptr), player::kHostWindowClass, &info));
    EXPECT_EQ(info.style, 0u);
    EXPECT_EQ(info.cbClsExtra, 0);
    EXPECT_EQ(info.cbWndExtra, 0);
    EXPECT_EQ(info.hbrBackground, nullptr);
    EXPECT_EQ(info.lpszMenuName, nullptr);
    EXPECT_EQ(info.lpfnWndProc, player::host_window_procedure);

    const auto again = player::register_host_window_class();
    ASSERT_FALSE(again);
    EXPECT_EQ(again.error().message(), "window registration failed: 1410");
}

}  // namespace
