#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <limits>
#include <string>

#include "core/web/bridge_script.h"
#include "core/web/dispatch_script.h"
#include "core/web/page_message.h"
#include "core/web/page_message_budget.h"
#include "core/web/player_state.h"

namespace {

TEST(BridgeScripts, TextsAreExactWithCommentsAndTheTrailingBlankLine) {
    EXPECT_EQ(core::kIpcShimScript,
              "Object.defineProperty(window, 'ipc', { value: Object.freeze({ postMessage: s => "
              "window.chrome.webview.postMessage(s) }) });");
    const std::string_view bridge = core::kBridgeScript;
    EXPECT_TRUE(bridge.starts_with("(() => {\n  const handlers = new Map();\n"));
    EXPECT_TRUE(bridge.ends_with("  window.addEventListener('drop', e => e.preventDefault());\n})();\n\n"));
    EXPECT_NE(bridge.find("\n    // Async scenes opt in before window.load and confirm their first usable frame.\n"),
              std::string_view::npos);
    EXPECT_NE(bridge.find("\n  // Existing wallpapers retain automatic readiness after their resources load.\n"),
              std::string_view::npos);
    EXPECT_NE(bridge.find("let state = {paused:false,fps:30,volume:0};"), std::string_view::npos);
    EXPECT_NE(bridge.find("['IMG', 'SCRIPT', 'LINK', 'VIDEO', 'AUDIO']"), std::string_view::npos);
    EXPECT_EQ(bridge.find('\r'), std::string_view::npos);
    EXPECT_EQ(bridge.find('\t'), std::string_view::npos);
    EXPECT_EQ(std::count(bridge.begin(), bridge.end(), '\n'), 47);
}

TEST(BridgeScripts, MainFrameGuardWrapsTheTextUnchanged) {
    const std::string guarded = core::main_frame_only(core::kBridgeScript);
    EXPECT_EQ(guarded, "if (window === window.top) {\n" + std::string(core::kBridgeScript) + "\n}\n");
}

TEST(DispatchScript, EventNameAsJsonStringAndCompactDetail) {
    EXPECT_EQ(core::build_dispatch_script(core::kStateEvent, core::player_state_json({.fps = 60, .paused = true})),
              R"(window.__tessaryDispatch("state",{"fps":60,"paused":true,"volume":0});)");
    EXPECT_EQ(core::build_dispatch_script(core::kClickEvent, core::click_detail_json(0.5, 0.25)),
              R"(window.__tessaryDispatch("click",{"x":0.5,"y":0.25});)");
    // Names are escaped like any JSON string, so no name can break out of the call.
    EXPECT_EQ(core::build_dispatch_script("a\"b\\c\n</script>", "{}"),
              R"(window.__tessaryDispatch("a\"b\\c\n</script>",{});)");
}

TEST(PlayerStateJson, MembersInKeyOrder) {
    EXPECT_EQ(core::player_state_json({}), R"({"fps":30,"paused":false,"volume":0})");
    EXPECT_EQ(core::player_state_json({.fps = 60, .paused = true, .volume = 0}),
              R"({"fps":60,"paused":true,"volume":0})");
    EXPECT_EQ(core::click_detail_json(0, 0.999), R"({"x":0.0,"y":0.999})");
}

TEST(PageMessages, ReadyCountsOnlyWhileNotFailed) {
    core::BridgeFlags flags;
    EXPECT_EQ(core::apply_page_message("ready", flags), "wallpaper bridge ready");
    EXPECT_TRUE(flags.ready);
    EXPECT_FALSE(flags.failed);
    // A second "ready" is logged and notified again; the flags stay.
    EXPECT_EQ(core::apply_page_message("ready", flags), "wallpaper bridge ready");

    core::BridgeFlags failed;
    failed.failed = true;
    EXPECT_EQ(core::apply_page_message("ready", failed), std::nullopt);
    EXPECT_FALSE(failed.ready);
}

TEST(PageMessages, AssetErrorFailsAndClearsReady) {
    core::BridgeFlags flags;
    flags.ready = true;
    EXPECT_EQ(core::apply_page_message("asset-error", flags), "wallpaper reported resource failure");
    EXPECT_TRUE(flags.failed);
    EXPECT_FALSE(flags.ready);
    // Repeated reports change nothing but are logged and notified again.
    EXPECT_EQ(core::apply_page_message("asset-error", flags), "wallpaper reported resource failure");
    EXPECT_EQ(core::apply_page_message("ready", flags), std::nullopt);
    EXPECT_FALSE(flags.ready);
}

TEST(PageMessages, AnythingElseIsIgnored) {
    core::BridgeFlags flags;
    for (const char* text : {"", "Ready", "ready ", " ready", "\"ready\"", "asset-error\n", "ASSET-ERROR", "click",
                             "state"}) {
        EXPECT_EQ(core::apply_page_message(text, flags), std::nullopt) << text;
    }
    EXPECT_EQ(core::apply_page_message(std::string_view("ready\0", 6), flags), std::nullopt);
    EXPECT_FALSE(flags.ready);
    EXPECT_FALSE(flags.failed);
}

TEST(PageMessageBudget, AThousandMessagesOrAMebibyteASecondThenNeverAgain) {
    using namespace std::chrono_literals;
    const core::MonotonicTime start{};
    core::PageMessageBudget budget;
    // A page that keeps to a thousand a second is listened to indefinitely.
    for (int second = 0; second < 3; ++second) {
        for (int i = 0; i < 1000; ++i) {
            ASSERT_TRUE(budget.spend(5, start + second * 1s + i * 999us)) << second << " " << i;
        }
    }
    // One more within the same second is the flood; from then on nothing counts, not even
    // a quiet message much later.
    EXPECT_FALSE(budget.spend(5, start + 2s + 999ms));
    EXPECT_TRUE(budget.exhausted());
    EXPECT_FALSE(budget.spend(0, start + 60s));

    // Size counts: a KiB costs a unit, so a single mebibyte message is over on its own,
    // and so is a length near the type's limit.
    core::PageMessageBudget large;
    EXPECT_TRUE(large.spend(999 * 1024, start));
    EXPECT_FALSE(large.spend(1024, start + 10ms));
    core::PageMessageBudget huge;
    EXPECT_FALSE(huge.spend(std::numeric_limits<std::size_t>::max(), start));
}

}  // namespace
