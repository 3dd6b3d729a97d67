#include "player/desktop/placement.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/shell/status_text.h"
#include "player/desktop/explorer_desktop.h"

namespace {

constexpr const char* kRealDesktop =
    "Wine-only: Explorer's own desktop (Progman) is present, and this test plays Explorer itself";

// What a recorded host went through, in order: whether it was a top-level window when its
// size state changed, and its state when it was made a child.
std::vector<std::string> g_host_trace;

LRESULT CALLBACK recorded_host_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    const std::string where = ::GetParent(window) == nullptr ? " top-level" : " child";
    if (message == WM_SIZE && wparam == SIZE_RESTORED) g_host_trace.push_back("restored" + where);
    if (message == WM_SIZE && wparam == SIZE_MINIMIZED) g_host_trace.push_back("minimised" + where);
    if (message == WM_SIZE && wparam == SIZE_MAXIMIZED) g_host_trace.push_back("maximised" + where);
    if (message == WM_STYLECHANGING && wparam == static_cast<WPARAM>(GWL_STYLE) &&
        (reinterpret_cast<const STYLESTRUCT*>(lparam)->styleNew & WS_CHILD) != 0 &&
        (reinterpret_cast<const STYLESTRUCT*>(lparam)->styleOld & WS_CHILD) == 0) {
        g_host_trace.push_back(std::string("made a child") + (::IsIconic(window) ? " while minimised" : "") +
                               (::IsZoomed(window) ? " while maximised" : ""));
    }
    return ::DefWindowProcW(window, message, wparam, lparam);
}

// Plain windows stand in for the host and, where a test needs it, for Explorer's desktop
// windows (this test process then plays Explorer's part).
class PlacementTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        for (const wchar_t* name : {L"TessaryTestHost", L"Progman", L"WorkerW", L"SHELLDLL_DefView"}) {
            WNDCLASSW window_class{};
            window_class.lpfnWndProc = ::DefWindowProcW;
            window_class.hInstance = ::GetModuleHandleW(nullptr);
            window_class.lpszClassName = name;
            ::RegisterClassW(&window_class);
        }
        WNDCLASSW recorded{};
        recorded.lpfnWndProc = recorded_host_procedure;
        recorded.hInstance = ::GetModuleHandleW(nullptr);
        recorded.lpszClassName = L"TessaryTestRecordedHost";
        ::RegisterClassW(&recorded);
    }
    void TearDown() override {
        for (HWND window : created_) {
            if (::IsWindow(window)) ::DestroyWindow(window);
        }
    }

    HWND make(const wchar_t* class_name, DWORD style, HWND parent, RECT rect = {0, 0, 300, 200}) {
        const HWND window = ::CreateWindowExW(0, class_name, L"", style, rect.left, rect.top, rect.right - rect.left,
                                              rect.bottom - rect.top, parent, nullptr, ::GetModuleHandleW(nullptr),
                                              nullptr);
        EXPECT_NE(window, nullptr);
        created_.push_back(window);
        return window;
    }
    HWND make_host() { return make(L"TessaryTestHost", WS_OVERLAPPEDWINDOW, nullptr); }

    // The newer Explorer layout: icons and the wallpaper WorkerW both under Progman.
    HWND make_explorer_with_worker_under_progman() {
        const RECT screen = player::primary_monitor_rect();
        const HWND progman = make(L"Progman", WS_POPUP | WS_VISIBLE, nullptr, screen);
        make(L"SHELLDLL_DefView", WS_CHILD | WS_VISIBLE, progman, {0, 0, screen.right - screen.left,
                                                                   screen.bottom - screen.top});
        return make(L"WorkerW", WS_CHILD | WS_VISIBLE, progman,
                    {0, 0, screen.right - screen.left, screen.bottom - screen.top});
    }

    // The WorkerW a mount goes into: the newer layout played by this process under Wine,
    // Explorer's own on Windows (null where its desktop cannot be used).
    HWND wallpaper_worker() {
        if (::FindWindowW(L"Progman", nullptr) == nullptr) return make_explorer_with_worker_under_progman();
        const auto found = player::find_wallpaper_workerw();
        return found ? *found : nullptr;
    }

    player::PlacementContext context_for(HWND host, bool has_webview = true) {
        return player::PlacementContext{host, has_webview, mounted_, parent_, status_, [this] {
                                            ++fits_;
                                            return core::Status{};
                                        }};
    }

    std::vector<HWND> created_;
    bool mounted_ = false;
    HWND parent_ = nullptr;
    std::optional<std::string> status_;
    int fits_ = 0;
};

TEST_F(PlacementTest, MissingHostOrWebViewIsAnErrorInEitherMode) {
    for (const bool desktop : {true, false}) {
        auto no_host = context_for(nullptr);
        EXPECT_EQ(player::apply_mode(no_host, desktop, true).error().message(), "wallpaper host unavailable");
        auto no_webview = context_for(make_host(), false);
        EXPECT_EQ(player::apply_mode(no_webview, desktop, true).error().message(),
                  "wallpaper host or WebView disappeared");
    }
}

TEST_F(PlacementTest, PreviewShowsATopLevelHostAndClearsTheDesktopFields) {
    const HWND host = make_host();
    mounted_ = false;
    parent_ = reinterpret_cast<HWND>(0x1234);
    status_ = "old";
    auto context = context_for(host);
    ASSERT_TRUE(player::apply_mode(context, false, false));
    EXPECT_TRUE(::IsWindowVisible(host));
    EXPECT_EQ(parent_, nullptr);
    EXPECT_FALSE(status_);
    EXPECT_EQ(fits_, 1);
}

TEST_F(PlacementTest, AChildHostIsDetachedToTheFixedPreviewRectangle) {
    const HWND old_parent = make(L"TessaryTestHost", WS_OVERLAPPEDWINDOW, nullptr);
    const HWND host = make(L"TessaryTestHost", WS_CHILD, old_parent);
    auto context = context_for(host);
    ASSERT_TRUE(player::apply_mode(context, false, false));
    EXPECT_EQ(::GetParent(host), nullptr);
    EXPECT_EQ(::GetWindowLongPtrW(host, GWL_STYLE) & (WS_CHILD | WS_OVERLAPPEDWINDOW), WS_OVERLAPPEDWINDOW);
    EXPECT_TRUE(::GetWindowLongPtrW(host, GWL_EXSTYLE) & WS_EX_APPWINDOW);
    RECT rect{};
    ::GetWindowRect(host, &rect);
    EXPECT_EQ(rect.left, 80);
    EXPECT_EQ(rect.top, 80);
    EXPECT_EQ(rect.right - rect.left, 1100);
    EXPECT_EQ(rect.bottom - rect.top, 720);
}

TEST_F(PlacementTest, WithoutExplorerTheDesktopFallsBackToPreviewOrHides) {
    if (::FindWindowW(L"Progman", nullptr) != nullptr) GTEST_SKIP() << kRealDesktop;
    const HWND host = make_host();
    auto context = context_for(host);
    // Asked for by the user: the preview shows, with the explanation.
    ASSERT_TRUE(player::apply_mode(context, true, true));
    EXPECT_FALSE(mounted_);
    EXPECT_EQ(status_, std::string(core::kDesktopFallbackStatus));
    EXPECT_TRUE(::IsWindowVisible(host));
    EXPECT_EQ(fits_, 1);
    // A background retry hides the host until the desktop is back.
    ASSERT_TRUE(player::apply_mode(context, true, false));
    EXPECT_EQ(status_, std::string(core::kDesktopReconnectingStatus));
    EXPECT_FALSE(::IsWindowVisible(host));
}

// On Windows this mounts a window on the real desktop and takes it off again.
TEST_F(PlacementTest, MountsIntoTheWorkerWBehindTheIconsAndBackToPreview) {
    const HWND worker = wallpaper_worker();
    if (worker == nullptr) GTEST_SKIP() << "Explorer's desktop has no usable WorkerW (a locked or non-interactive desktop)";
    EXPECT_EQ(player::find_wallpaper_workerw().value(), worker);

    const HWND host = make_host();
    status_ = "old";
    auto context = context_for(host);
    // Mounted hidden while the page has not reported, shown once it has.
    context.page_shown = false;
    ASSERT_TRUE(player::apply_mode(context, true, true));
    EXPECT_TRUE(mounted_);
    EXPECT_EQ(parent_, worker);
    EXPECT_EQ(::GetParent(host), worker);
    EXPECT_FALSE(::IsWindowVisible(host));
    context.page_shown = true;
    ASSERT_TRUE(player::apply_mode(context, true, true));
    EXPECT_TRUE(::IsWindowVisible(host));
    EXPECT_FALSE(status_);
    const LONG_PTR style = ::GetWindowLongPtrW(host, GWL_STYLE);
    EXPECT_TRUE(style & WS_CHILD);
    EXPECT_FALSE(style & WS_CAPTION);
    EXPECT_TRUE(::GetWindowLongPtrW(host, GWL_EXSTYLE) & WS_EX_NOACTIVATE);
    EXPECT_TRUE(player::is_desktop_window(host));

    ASSERT_TRUE(player::apply_mode(context, false, false));
    EXPECT_FALSE(mounted_);
    EXPECT_EQ(::GetParent(host), nullptr);
    EXPECT_FALSE(player::is_desktop_window(host));
}

// A minimised preview keeps that state as a child, and Windows would show it at its last
// normal rectangle: it must be restored before it becomes a child. (Wine places it
// anyway, so the order is what is checked.) A maximised one likewise.
TEST_F(PlacementTest, AMinimisedOrMaximisedPreviewIsRestoredBeforeItIsMounted) {
    const HWND worker = wallpaper_worker();
    if (worker == nullptr) GTEST_SKIP() << "Explorer's desktop has no usable WorkerW (a locked or non-interactive desktop)";
    for (const int state : {SW_MINIMIZE, SW_MAXIMIZE}) {
        const HWND host = make(L"TessaryTestRecordedHost", WS_OVERLAPPEDWINDOW, nullptr);
        ::ShowWindow(host, state);
        ASSERT_TRUE(state == SW_MINIMIZE ? ::IsIconic(host) : ::IsZoomed(host));
        g_host_trace.clear();
        auto context = context_for(host);
        ASSERT_TRUE(player::apply_mode(context, true, true));
        EXPECT_EQ(::GetParent(host), worker);
        ASSERT_GE(g_host_trace.size(), 2u);
        EXPECT_EQ(g_host_trace[0], "restored top-level") << state;
        EXPECT_EQ(g_host_trace[1], "made a child") << state;
        EXPECT_FALSE(::IsIconic(host) || ::IsZoomed(host));
        EXPECT_TRUE(player::covers_primary_monitor(host)) << state;
        ASSERT_TRUE(player::apply_mode(context, false, false));
        ::DestroyWindow(host);
    }
}

TEST_F(PlacementTest, UnsafeWorkerWsAreNeverChosen) {
    if (::FindWindowW(L"Progman", nullptr) != nullptr) GTEST_SKIP() << kRealDesktop;
    const RECT screen = player::primary_monitor_rect();
    const HWND progman = make(L"Progman", WS_POPUP | WS_VISIBLE, nullptr, screen);
    make(L"SHELLDLL_DefView", WS_CHILD | WS_VISIBLE, progman);
    const RECT full{0, 0, screen.right - screen.left, screen.bottom - screen.top};
    const HWND hidden = make(L"WorkerW", WS_CHILD, progman, full);
    const HWND small = make(L"WorkerW", WS_CHILD | WS_VISIBLE, progman, {0, 0, 50, 50});
    const HWND with_icons = make(L"WorkerW", WS_CHILD | WS_VISIBLE, progman, full);
    make(L"SHELLDLL_DefView", WS_CHILD | WS_VISIBLE, with_icons);
    const DWORD self = ::GetCurrentProcessId();
    EXPECT_FALSE(player::is_safe_wallpaper_workerw(hidden, self));
    EXPECT_FALSE(player::is_safe_wallpaper_workerw(small, self));
    EXPECT_FALSE(player::is_safe_wallpaper_workerw(with_icons, self));
    EXPECT_FALSE(player::is_safe_wallpaper_workerw(nullptr, self));
    EXPECT_EQ(player::find_wallpaper_workerw().error().message(),
              "No safe wallpaper WorkerW; use preview and retry after Explorer restarts");
    // Another process's WorkerW is not Explorer's.
    const HWND good = make(L"WorkerW", WS_CHILD | WS_VISIBLE, progman, full);
    EXPECT_TRUE(player::is_safe_wallpaper_workerw(good, self));
    EXPECT_FALSE(player::is_safe_wallpaper_workerw(good, self + 4));
}

}  // namespace
