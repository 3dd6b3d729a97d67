#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "core/web/bridge_script.h"
#include "core/web/dispatch_script.h"
#include "core/web/page_message.h"
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

}  // namespace
