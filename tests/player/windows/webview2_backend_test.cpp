#include "player/windows/webview2/webview2_layer.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "child_process.h"
#include "host_test_support.h"
#include "player/windows/host_build.h"
#include "player/windows/host_window.h"
#include "test_folder.h"
#include "window_classes.h"

namespace {

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
