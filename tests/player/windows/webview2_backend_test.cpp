#include "player/windows/webview2/webview2_layer.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "child_process.h"
#include "host_test_support.h"
#include "player/windows/host_build.h"
#include "player/windows/host_window.h"
#include "player/windows/webview2/environment_options.h"
#include "player/windows/webview2/message_pump.h"
#include "player/win32/unique_resource.h"
#include "player/win32/wide.h"
#include "test_folder.h"
#include "window_classes.h"
#include "wine.h"

namespace {

using GetVersionString = HRESULT(STDAPICALLTYPE*)(PCWSTR, LPWSTR*);
using CompareVersions = HRESULT(STDAPICALLTYPE*)(PCWSTR, PCWSTR, int*);

// What the loader beside the tests says of the installed Evergreen runtime: its version
// (empty when there is none, always so under Wine) and its order against the version the
// program asks for (-1 older, 0 the same, 1 newer).
struct InstalledRuntime {
    std::wstring version;
    int order_to_target = -2;
};

InstalledRuntime installed_runtime() {
    const std::wstring loader = win32::to_wide(test::test_program_folder()).value() + L"\\WebView2Loader.dll";
    const win32::unique_module module(::LoadLibraryExW(loader.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    const auto get = reinterpret_cast<GetVersionString>(
        reinterpret_cast<void*>(::GetProcAddress(module.get(), "GetAvailableCoreWebView2BrowserVersionString")));
    const auto compare = reinterpret_cast<CompareVersions>(
        reinterpret_cast<void*>(::GetProcAddress(module.get(), "CompareBrowserVersions")));
    InstalledRuntime runtime;
    LPWSTR text = nullptr;
    if (get == nullptr || FAILED(get(nullptr, &text)) || text == nullptr) return runtime;
    const win32::unique_co_task_memory owned(text);
    runtime.version = text;
    if (compare != nullptr) compare(text, player::webview2::kTargetBrowserVersion, &runtime.order_to_target);
    return runtime;
}

class PreviewOnly final : public player::HostPlacement {
public:
    void prepare_window_dpi(player::HostState&) override {}
    core::Status place(player::HostState&, bool) override { return {}; }
};

class WebView2BackendTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(test::ensure_window_class(player::kHostWindowClass, player::register_host_window_class));
        ASSERT_EQ(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED) & 0x80000000u, 0u);
    }

    test::TestFolder profile_;
    test::MessageSink controller_;
    PreviewOnly placement_;
};

// Wine has no WebView2 runtime: the loader beside the program reports the missing runtime
// at once, and the build takes its failure path as it would on a Windows without one.
TEST_F(WebView2BackendTest, AMissingRuntimeFailsTheBuildAndDestroysTheNewWindow) {
    if (const std::wstring version = installed_runtime().version; !version.empty()) {
        GTEST_SKIP() << "Wine-only: this Windows has the WebView2 runtime " << win32::to_utf8(version).value()
                     << ", so the missing-runtime path cannot be reached";
    }
    player::webview2::WebView2Layer layer(profile_ / "webview-profile", test::test_program_folder());
    player::HostState host;
    std::vector<std::string> log;
    const player::HostServices services{.web_layer = layer,
                                        .placement = placement_,
                                        .controller_window = controller_.handle(),
                                        .log = [&log](std::string_view line) { log.emplace_back(line); }};

    const auto built = player::build_host(host, services, test::demo_wallpaper(), true);
    ASSERT_FALSE(built);
    EXPECT_EQ(built.error().message(),
              "WebView2 初始化失败。请安装 Microsoft Edge WebView2 Evergreen Runtime (x64)，然后重试。");
    ASSERT_NE(built.error().cause(), nullptr);
    EXPECT_NE(built.error().cause()->message().find("0x80070002"), std::string::npos) << built.error().chain();
    EXPECT_EQ(built.error().cause()->message(), "CreateCoreWebView2EnvironmentWithOptions failed: 0x80070002");
    EXPECT_FALSE(host.window);
    EXPECT_FALSE(host.webview);
    EXPECT_EQ(test::count_host_windows(), 0);
    EXPECT_TRUE(log.empty());
}

// What Windows has where Wine has nothing: a runtime the loader finds, with a readable
// version no older than the one the program asks for.
TEST_F(WebView2BackendTest, OnWindowsTheInstalledRuntimeIsNoOlderThanTheTarget) {
    const InstalledRuntime runtime = installed_runtime();
    if (test::under_wine()) {
        EXPECT_EQ(runtime.version, L"");
        GTEST_SKIP() << "Windows-only: Wine has no WebView2 runtime (its absence is tested above)";
    }
    ASSERT_NE(runtime.version, L"") << "no WebView2 runtime on this Windows";
    EXPECT_GE(runtime.order_to_target, 0) << win32::to_utf8(runtime.version).value();
}

TEST_F(WebView2BackendTest, ALoaderMissingBesideTheProgramIsAnError) {
    player::webview2::WebView2Layer layer(profile_ / "webview-profile", profile_.path());
    test::MessageSink parent;
    const auto created = layer.create(parent.handle(), player::WebViewConfig{});
    ASSERT_FALSE(created);
    EXPECT_EQ(created.error().message(), "cannot load WebView2Loader.dll");
    ASSERT_NE(created.error().cause(), nullptr);
    EXPECT_EQ(created.error().cause()->os_code(), ERROR_MOD_NOT_FOUND);
}

}  // namespace

namespace {

std::wstring environment_value(const wchar_t* name) {
    wchar_t value[256] = {};
    const DWORD length = ::GetEnvironmentVariableW(name, value, 256);
    return length == 0 ? std::wstring() : std::wstring(value, length);
}

// The loader would take these over the player's own profile, browser and arguments.
TEST_F(WebView2BackendTest, BrowserOverridesLeaveTheEnvironmentBeforeTheBrowserStartsAndTheOptionsHoldTheArguments) {
    ::SetEnvironmentVariableW(L"WEBVIEW2_ADDITIONAL_BROWSER_ARGUMENTS", L"--remote-debugging-port=9222");
    ::SetEnvironmentVariableW(L"webview2_user_data_folder", L"C:\\elsewhere");
    ::SetEnvironmentVariableW(L"WEBVIEW2X_UNRELATED", L"kept");
    player::webview2::WebView2Layer layer(profile_ / "webview-profile", test::test_program_folder());
    test::MessageSink parent;
    // Fails under Wine (no runtime) and may start a browser on Windows: either way the
    // variables are gone first.
    [[maybe_unused]] const auto created = layer.create(parent.handle(), player::WebViewConfig{});
    EXPECT_EQ(environment_value(L"WEBVIEW2_ADDITIONAL_BROWSER_ARGUMENTS"), L"");
    EXPECT_EQ(environment_value(L"WEBVIEW2_USER_DATA_FOLDER"), L"");
    EXPECT_EQ(environment_value(L"WEBVIEW2X_UNRELATED"), L"kept");
    EXPECT_NE(environment_value(L"LOCALAPPDATA"), L"");
    ::SetEnvironmentVariableW(L"WEBVIEW2X_UNRELATED", nullptr);

    const auto options = player::webview2::make_environment_options(L"--a \"--b=c d\"");
    LPWSTR text = nullptr;
    ASSERT_EQ(options->get_AdditionalBrowserArguments(&text), S_OK);
    EXPECT_STREQ(text, L"--a \"--b=c d\"");
    ::CoTaskMemFree(text);
    ASSERT_EQ(options->get_TargetCompatibleBrowserVersion(&text), S_OK);
    EXPECT_STREQ(text, player::webview2::kTargetBrowserVersion);
    ::CoTaskMemFree(text);
    ASSERT_EQ(options->put_Language(L"zh-CN"), S_OK);
    ASSERT_EQ(options->get_Language(&text), S_OK);
    EXPECT_STREQ(text, L"zh-CN");
    ::CoTaskMemFree(text);
    BOOL single_sign_on = TRUE;
    ASSERT_EQ(options->get_AllowSingleSignOnUsingOSPrimaryAccount(&single_sign_on), S_OK);
    EXPECT_FALSE(single_sign_on);
    EXPECT_EQ(options->get_Language(nullptr), E_POINTER);
    // Held by the caller alone: the last release frees it.
    EXPECT_EQ(options.get()->AddRef(), 2u);
    EXPECT_EQ(options.get()->Release(), 1u);
}

// The host build waits for the runtime inside a nested loop that keeps the window
// procedures running and hands a quit message back to the main loop.
bool timer_fired = false;
void CALLBACK on_timer(HWND, UINT, UINT_PTR, DWORD) { timer_fired = true; }

TEST_F(WebView2BackendTest, TheNestedWaitDispatchesMessagesTimesOutAndGivesBackTheQuitMessage) {
    // A thread timer's callback runs only when its message is dispatched.
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 10, on_timer);
    auto waited = player::webview2::pump_messages_until([] { return timer_fired; }, std::chrono::seconds(5));
    ::KillTimer(nullptr, timer);
    EXPECT_TRUE(waited);

    waited = player::webview2::pump_messages_until([] { return false; }, std::chrono::milliseconds(50));
    ASSERT_FALSE(waited);
    EXPECT_EQ(waited.error().message(), "timed out");

    ::PostQuitMessage(3);
    waited = player::webview2::pump_messages_until([] { return false; }, std::chrono::seconds(5));
    ASSERT_FALSE(waited);
    EXPECT_EQ(waited.error().message(), "the player is quitting");
    MSG quit{};
    ASSERT_TRUE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 3u);
}

}  // namespace
