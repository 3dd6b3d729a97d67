#include "core/shell/status_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(StatusText, OnlyTheOutermostMessageNamingWebView2GetsTheWebView2Text) {
    const core::Error webview("WebView2 初始化失败。", core::Error("0x80070002"));
    EXPECT_EQ(core::status_text_for_error(webview), core::kWebView2FailureStatus);
    EXPECT_EQ(core::status_text_for_error(webview.context("command 110")), core::kGenericFailureStatus);
    EXPECT_EQ(core::status_text_for_error(core::Error("webview2 lower case")), core::kGenericFailureStatus);
    EXPECT_EQ(core::status_text_for_error(core::Error("file too large")), core::kGenericFailureStatus);
    // A browser refused for an overriding switch is no missing runtime.
    EXPECT_EQ(core::status_text_for_error(core::Error(std::string(core::kBrowserSwitchesRefusal))),
              core::kBrowserSwitchesStatus);
    // Nor is a policy that adds browser switches, or a profile another process holds.
    const core::Error policy(std::string(core::kBrowserPolicyRefusal), core::Error("HKCU\\... value *"));
    EXPECT_EQ(core::status_text_for_error(policy), core::kBrowserPolicyStatus);
    EXPECT_TRUE(core::is_browser_refusal(policy));
    EXPECT_FALSE(core::is_browser_refusal(policy.context("command 110")));
    EXPECT_EQ(core::status_text_for_error(core::Error(std::string(core::kProfileInUseRefusal))),
              core::kProfileInUseStatus);
}

}  // namespace
