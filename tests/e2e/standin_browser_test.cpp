// The shipped program in a real browser: the stand-in WebView2 runtime runs its pages in
// Debian's Chromium, so what the program asks of WebView2 is checked from the page's side.
#include <gtest/gtest.h>

#include <windows.h>
#include <wtsapi32.h>

#include <cstdlib>

#include "core/shell/commands.h"
#include "core/shell/status_text.h"
#include "desktop_fixture.h"
#include "standin_fixture.h"

namespace {

using namespace std::chrono_literals;
using e2e::StandInPlayerTest;

constexpr auto kLoad = 60s;
constexpr auto kReact = 15s;
constexpr char kPolicy[] =
    "default-src 'self'; script-src 'self'; style-src 'self' 'unsafe-inline'; img-src 'self' data: blob:; "
    "media-src 'self' blob:; connect-src 'self'; font-src 'self'; object-src 'none'; base-uri 'none'; "
    "form-action 'none'; frame-src 'none'; worker-src 'none'";

std::string state_seen(bool paused, int fps) {
    return std::string("page state {\"paused\":") + (paused ? "true" : "false") + ",\"fps\":" + std::to_string(fps) +
           ",\"volume\":0}";
}

TEST_F(StandInPlayerTest, TheSamplesPlayAndFollowTheCommands) {
    add_sample_wallpapers();
    add_test_wallpaper("held-page");
    start_player();
    ASSERT_TRUE(wait_for_log("wallpaper bridge ready", kLoad)) << logs();
    ASSERT_TRUE(wait_for_standin(state_seen(false, 60), kReact)) << logs();

    const std::string first = standin_log();
    // The browser runs with the program's own arguments.
    EXPECT_NE(last_standin_line("browser launched ").find("--autoplay-policy=no-user-gesture-required"),
              std::string::npos) << first;
    for (const char* call : {"call put_AreDevToolsEnabled FALSE", "call put_AreDefaultContextMenusEnabled FALSE",
                             "call put_IsZoomControlEnabled FALSE", "call put_IsStatusBarEnabled FALSE",
                             "call put_AreBrowserAcceleratorKeysEnabled FALSE",
                             "call AddWebResourceRequestedFilter http://wlp.localhost/*", "call AddWebResourceRequestedFilter https://wlp.localhost/*",
                             "call add_NewWindowRequested",
                             "call add_DownloadStarting", "call Navigate http://wlp.localhost/index.html",
                             "served 200 http://wlp.localhost/index.html", "served 200 http://wlp.localhost/style.css",
                             "served 200 http://wlp.localhost/scene.js", "page posted \"ready\"",
                             "call ExecuteScript window.__tessaryDispatch(\"state\",{\"fps\":60,\"paused\":false,"
                             "\"volume\":0});"}) {
        EXPECT_NE(first.find(call), std::string::npos) << call << "\n" << logs();
    }
    // The document scripts (the bridge's two, the one that holds frames and the one that
    // turns print off) are in place before the navigation starts.
    EXPECT_EQ(count_in_standin("call AddScriptToExecuteOnDocumentCreated"), 4u) << first;
    EXPECT_EQ(first.find("without completion"), std::string::npos) << first;
    EXPECT_LT(first.rfind("event AddScriptToExecuteOnDocumentCreated completed"), first.find("call Navigate")) << first;
    EXPECT_EQ(first.find("page exception"), std::string::npos) << first;
    EXPECT_EQ(first.find("continued http://wlp.localhost/"), std::string::npos) << first;

    // A screenshot of the page as the browser drew it, in the test logs: not blank.
    ASSERT_TRUE(wait_for_standin("screenshot ", kReact)) << logs();
    const std::string shot = last_standin_line("screenshot ");
    const int colours = std::atoi(shot.substr(shot.find("colours=") + 8).c_str());
    EXPECT_GT(colours, 16) << shot;

    // Pause, resume and the frame rates reach the page.
    std::size_t mark = standin_log().size();
    command(core::CMD_TOGGLE_PAUSE);
    ASSERT_TRUE(wait_for_standin(state_seen(true, 60), kReact, mark)) << logs();
    command(core::CMD_FPS_30);
    ASSERT_TRUE(wait_for_standin(state_seen(true, 30), kReact, mark)) << logs();
    command(core::CMD_TOGGLE_PAUSE);
    ASSERT_TRUE(wait_for_standin(state_seen(false, 30), kReact, mark)) << logs();
    command(core::CMD_FPS_60);
    ASSERT_TRUE(wait_for_standin(state_seen(false, 60), kReact, mark)) << logs();

    // Desktop (which Wine cannot offer) and back to preview keep the same page.
    mark = standin_log().size();
    const std::size_t player_mark = log_text().size();
    command(core::CMD_SET_DESKTOP);
    command(core::CMD_WINDOW_PREVIEW);
    ASSERT_TRUE(wait_for_log("control command=111", kReact, player_mark)) << logs();
    command(core::CMD_TOGGLE_PAUSE);
    ASSERT_TRUE(wait_for_standin(state_seen(true, 60), kReact, mark)) << logs();
    EXPECT_EQ(count_in_standin("view 2 created", mark), 0u) << logs();
    EXPECT_EQ(count_in_standin("page navigated", mark), 0u) << logs();
    command(core::CMD_TOGGLE_PAUSE);

    // Another wallpaper gets a new host: the old page is closed, the new one loads and
    // reports readiness again.
    mark = standin_log().size();
    EXPECT_EQ(start({"--select-wallpaper", "tide-lanterns"}).wait(kLoad), 0u);
    ASSERT_TRUE(wait_for_standin("page posted \"ready\"", kLoad, mark)) << logs();
    ASSERT_TRUE(wait_for_standin("page state {", kReact, mark)) << logs();
    const std::string second = standin_log().substr(mark);
    EXPECT_NE(second.find("call Close"), std::string::npos) << second;
    EXPECT_NE(second.find("view 2 created"), std::string::npos) << second;
    EXPECT_NE(second.find("served 200 http://wlp.localhost/js/lanterns.js"), std::string::npos) << second;
    EXPECT_LT(second.find("call Close"), second.find("page posted \"ready\"")) << second;
    EXPECT_EQ(count_in_log("wallpaper bridge ready"), 2u) << logs();
    // One environment for the player's life.
    EXPECT_EQ(count_in_standin("call CreateCoreWebView2EnvironmentWithOptions"), 1u) << standin_log();

    // A page that ignores the state is held with the player: its frames, its CSS animation
    // and its video, but not the video it paused itself, which stays paused on resume.
    mark = standin_log().size();
    EXPECT_EQ(start({"--select-wallpaper", "held-page"}).wait(kLoad), 0u);
    const std::string held = "page console log held ";
    ASSERT_TRUE(wait_for_standin(held + "frames=moving css=running video=playing own=paused", kLoad, mark)) << logs();
    command(core::CMD_TOGGLE_PAUSE);
    ASSERT_TRUE(wait_for_standin(held + "frames=still css=paused video=paused own=paused", kReact, mark)) << logs();
    mark = standin_log().size();
    command(core::CMD_TOGGLE_PAUSE);
    ASSERT_TRUE(wait_for_standin(held + "frames=moving css=running video=playing own=paused", kReact, mark)) << logs();
}

// A value under the WebView2 policy key in this Wine prefix, for the length of a test.
struct PolicyValue {
    PolicyValue(HKEY under, const std::wstring& policy, std::wstring value_name, const std::wstring& value)
        : root(under), key(L"Software\\Policies\\Microsoft\\Edge\\WebView2\\" + policy), name(std::move(value_name)) {
        EXPECT_EQ(::RegSetKeyValueW(root, key.c_str(), name.c_str(), REG_SZ, value.c_str(),
                                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }
    PolicyValue(const PolicyValue&) = delete;
    ~PolicyValue() { ::RegDeleteKeyValueW(root, key.c_str(), name.c_str()); }
    HKEY root;
    std::wstring key, name;
};

// The page's probe tries every way out; Chromium enforces the program's real headers. The
// browser runs with the program's arguments alone (none of the stand-in's own network
// switches), inside a network namespace that has only a loopback.
TEST_F(StandInPlayerTest, ThePageStaysInsideItsSandbox) {
    add_test_wallpaper("sandbox-probe");
    configure({"network=isolated"});
    // Policies that choose a runtime, a profile place and a channel are an administrator's
    // to set: logged, and the browser starts.
    const PolicyValue folder(HKEY_LOCAL_MACHINE, L"UserDataFolder", L"tessary.exe", L"C:\\policy-profile");
    const PolicyValue channel(HKEY_CURRENT_USER, L"ReleaseChannelPreference", L"*", L"1");
    // The loader's override variables would send every host to this machine; the program
    // keeps them away from the browser.
    start_player({"--preview"}, {{L"WEBVIEW2_ADDITIONAL_BROWSER_ARGUMENTS", L"--host-resolver-rules=\"MAP * 127.0.0.1\""},
                                 {L"WEBVIEW2_USER_DATA_FOLDER", L"C:\\elsewhere"}});
    ASSERT_TRUE(wait_for_log("wallpaper bridge ready", kLoad)) << logs();
    ASSERT_TRUE(wait_for_standin("probe still-here", kLoad)) << logs();
    const std::string seen = standin_log();
    EXPECT_EQ(seen.find(" env:WEBVIEW2_"), std::string::npos) << seen;
    const std::string launched = last_standin_line("browser launched ");
    EXPECT_EQ(launched.rfind("in a network namespace of its own ", 0), 0u) << launched;
    for (const char* argument : {"--host-resolver-rules=MAP * ~NOTFOUND", "--proxy-server=127.0.0.1:0",
                                 "--proxy-bypass-list=<-loopback>", "--webrtc-ip-handling-policy=disable_non_proxied_udp",
                                 "--disable-quic", "msSmartScreenProtection"}) {
        EXPECT_NE(launched.find(argument), std::string::npos) << argument << "\n" << seen;
    }
    for (const char* own : {"--disable-background-networking", "--disable-component-update", "--disable-sync"}) {
        EXPECT_EQ(launched.find(own), std::string::npos) << own << "\n" << seen;
    }
    for (const char* policy : {"WebView2 policy HKLM\\Software\\Policies\\Microsoft\\Edge\\WebView2\\UserDataFolder "
                               "value tessary.exe: C:\\policy-profile",
                               "WebView2 policy HKCU\\Software\\Policies\\Microsoft\\Edge\\WebView2\\"
                               "ReleaseChannelPreference value *: 1"}) {
        EXPECT_NE(log_text().find(policy), std::string::npos) << policy << "\n" << logs();
    }
    // The profile is the program's alone, crash dumps stay here, and SmartScreen asks nobody.
    EXPECT_NE(seen.find("exclusiveUserDataFolderAccess=1 customCrashReporting=1"), std::string::npos) << seen;
    EXPECT_NE(seen.find("call put_IsReputationCheckingRequired FALSE"), std::string::npos) << seen;
    // What the runtime would otherwise leave to a prompt of its own is refused.
    for (const char* refused : {"LaunchingExternalUriScheme mailto:someone@example.com",
                                "ScreenCaptureStarting http://wlp.localhost/index.html",
                                "BasicAuthenticationRequested https://example.com/",
                                "ClientCertificateRequested example.com",
                                "ServerCertificateErrorDetected https://example.com/"}) {
        EXPECT_NE(seen.find(std::string("event ") + refused + " cancelled"), std::string::npos) << refused << "\n"
                                                                                                << seen;
    }
    const auto probe = [&](const std::string& name) { return last_standin_line("page console log probe " + name + " "); };

    // Assets come with the fixed headers, in the browser's own view; a POST is answered like a GET.
    const auto has_fixed_headers = [](const std::string& line) {
        return line.find("[\"cache-control\",\"no-store, max-age=0\"]") != std::string::npos &&
               line.find("[\"content-security-policy\",\"" + std::string(kPolicy) + "\"]") != std::string::npos &&
               line.find("[\"x-content-type-options\",\"nosniff\"]") != std::string::npos;
    };
    EXPECT_EQ(probe("served-css").rfind("200 length=69 ", 0), 0u) << probe("served-css");
    EXPECT_TRUE(has_fixed_headers(probe("served-css"))) << probe("served-css");
    EXPECT_NE(probe("served-css").find("[\"content-type\",\"text/css; charset=utf-8\"]"), std::string::npos);
    EXPECT_EQ(probe("served-post"), probe("served-css"));
    EXPECT_EQ(probe("range-get").rfind("206 length=2 ", 0), 0u) << probe("range-get");
    EXPECT_EQ(probe("range-post"), probe("served-css"));
    EXPECT_EQ(probe("range-if-range"), probe("served-css"));

    // Other origins: refused by the policy before any request is made.
    EXPECT_EQ(probe("other-fetch"), "refused TypeError");
    EXPECT_EQ(probe("other-image"), "refused");
    EXPECT_EQ(probe("other-script"), "refused");
    EXPECT_EQ(probe("other-socket"), "refused");
    for (const char* directive : {"connect-src", "img-src", "script-src", "frame-src"}) {
        EXPECT_NE(seen.find(std::string("violates the following Content Security Policy directive: \"") + directive),
                  std::string::npos) << directive << "\n" << seen;
    }
    EXPECT_EQ(seen.find("continued http://example.com"), std::string::npos) << seen;

    // Paths that leave the wallpaper or name nothing: the empty 404 with the full header set.
    for (const char* name : {"dot-dot", "encoded-slash"}) {
        EXPECT_EQ(probe(name).rfind("404 length=0 ", 0), 0u) << name << ": " << probe(name);
        EXPECT_TRUE(has_fixed_headers(probe(name))) << probe(name);
        EXPECT_NE(probe(name).find("[\"content-length\",\"0\"]"), std::string::npos) << probe(name);
    }
    EXPECT_NE(probe("unknown").find("[\"content-type\",\"text/javascript; charset=utf-8\"]"), std::string::npos);
    EXPECT_EQ(probe("unknown").rfind("404 length=0", 0), 0u) << probe("unknown");
    EXPECT_NE(log_text().find("wallpaper resource rejected or missing: js/../style.css"), std::string::npos) << logs();
    EXPECT_NE(log_text().find("wallpaper resource rejected or missing: /style.css"), std::string::npos) << logs();
    EXPECT_NE(log_text().find("wallpaper resource rejected or missing: missing.js"), std::string::npos) << logs();

    // New windows, downloads and navigation away are refused; the page stays.
    EXPECT_NE(seen.find("event NewWindowRequested http://example.com/popup handled"), std::string::npos) << seen;
    EXPECT_EQ(seen.find("new window opened"), std::string::npos) << seen;
    EXPECT_NE(seen.find("event DownloadStarting http://wlp.localhost/style.css cancelled"), std::string::npos) << seen;
    EXPECT_NE(seen.find("event NavigationStarting http://example.com/away cancelled"), std::string::npos) << seen;
    EXPECT_EQ(probe("still-here"), "http://wlp.localhost/index.html");

    // Nothing reached the network: not for wlp.localhost over https or WebSocket, nor by
    // the routes the policy does not govern (WebRTC to literals and names, preconnect,
    // dns-prefetch, prefetch, prerender, beacons, WebSocket, WebTransport, EventSource, a
    // srcdoc frame). The relay's listeners on 127.0.0.1:80/443 and on 127.0.0.2 (TCP and
    // UDP) saw nothing, and the browser's own network log holds no socket, no datagram
    // and no lookup of a name.
    EXPECT_NE(seen.find("'ws://wlp.localhost/socket' failed: Error in connection establishment: net::ERR_"),
              std::string::npos) << seen;
    EXPECT_EQ(seen.find("network hit"), std::string::npos) << seen;
    EXPECT_EQ(last_standin_line("network log "), "sockets=0 sent=0 lookups=0") << seen;
    EXPECT_EQ(probe("webrtc"), "candidates=0");
    EXPECT_EQ(seen.find("continued http://wlp.localhost"), std::string::npos) << seen;
    EXPECT_NE(seen.find("served 404 https://wlp.localhost/style.css"), std::string::npos) << seen;
    EXPECT_NE(probe("https-self").rfind("refused", 0), std::string::npos) << probe("https-self");
    EXPECT_NE(probe("socket-self").rfind("refused", 0), std::string::npos) << probe("socket-self");

    // A page asking to stay cannot hold its own reload.
    EXPECT_TRUE(wait_for_standin("probe reloaded yes", kLoad)) << logs();
    EXPECT_NE(standin_log().find("event ScriptDialogOpening beforeunload accepted"), std::string::npos) << logs();

    // The player runs on; the refused requests failed the page, so the preview command
    // builds it afresh.
    EXPECT_EQ(player_->wait(0ms), std::nullopt);
    const std::size_t mark = standin_log().size();
    command(core::CMD_WINDOW_PREVIEW);
    ASSERT_TRUE(wait_for_standin("view 2 created", kReact, mark)) << logs();
    EXPECT_TRUE(wait_for_standin("page posted \"ready\"", kLoad, mark)) << logs();
    stop_player();

    // A policy that adds browser arguments for every program: no browser, the key and value
    // in the log, and the policy named in the start-up box.
    const PolicyValue arguments(HKEY_CURRENT_USER, L"AdditionalBrowserArguments", L"*", L"--remote-debugging-port=9222");
    const std::size_t standin_mark = standin_log().size();
    const std::size_t player_mark = log_text().size();
    player_.emplace(start({"--preview"}));
    const auto box = test::wait_for_message_box(player_->id(), kLoad);
    ASSERT_TRUE(box) << logs();
    EXPECT_EQ(box->text, "启动失败：\n" + std::string(core::kBrowserPolicyStatus));
    test::dismiss(*box);
    EXPECT_TRUE(wait_for_log("startup: " + std::string(core::kBrowserPolicyRefusal) +
                                 ": WebView2 policy HKCU\\Software\\Policies\\Microsoft\\Edge\\WebView2\\"
                                 "AdditionalBrowserArguments value *: --remote-debugging-port=9222",
                             kReact, player_mark))
        << logs();
    EXPECT_EQ(count_in_standin("browser launched", standin_mark), 0u) << standin_log();
    EXPECT_EQ(count_in_standin("call CreateCoreWebView2EnvironmentWithOptions", standin_mark), 0u) << standin_log();
}

// A page that confirms readiness itself is not timed out; a later lost image is
// reported; a page that never confirms is timed out after 15 seconds.
TEST_F(StandInPlayerTest, ReadinessFollowsThePage) {
    add_test_wallpaper("deferred-ready");
    add_test_wallpaper("never-ready");
    start_player();
    ASSERT_TRUE(wait_for_log("free library load: id=deferred-ready", kLoad)) << logs();
    ASSERT_TRUE(wait_for_standin("page console log scene ready", kLoad)) << logs();
    ASSERT_TRUE(wait_for_log("wallpaper bridge ready", kReact)) << logs();
    ASSERT_TRUE(wait_for_standin("page console log scene state {\"fps\":60,\"paused\":false,\"volume\":0}", kReact))
        << logs();
    // Past the 15-second limit of this host, then the image goes missing.
    ASSERT_TRUE(wait_for_log("wallpaper reported resource failure", 30s)) << logs();
    test::pump_messages(500ms);  // a few ticks
    const std::string first = log_text();
    EXPECT_EQ(first.find("wallpaper ready timeout"), std::string::npos) << first;
    const std::size_t rejected = first.find("wallpaper resource rejected or missing: lost.png");
    EXPECT_NE(rejected, std::string::npos) << first;
    EXPECT_LT(first.find("wallpaper bridge ready"), rejected) << first;

    const std::size_t mark = log_text().size();
    EXPECT_EQ(start({"--select-wallpaper", "never-ready"}).wait(kLoad), 0u);
    ASSERT_TRUE(wait_for_log("free library load: id=never-ready", kLoad, mark)) << logs();
    ASSERT_TRUE(wait_for_log("wallpaper ready timeout after 15 seconds", 40s, mark)) << logs();
    const std::string second = log_text().substr(mark);
    EXPECT_EQ(second.find("wallpaper bridge ready"), std::string::npos) << second;
    EXPECT_EQ(second.find("state paused="), std::string::npos) << second;
}

// Without a runtime, or when the runtime fails to create what the program asks for, the
// start-up error names the WebView2 failure and its cause; slow callbacks are waited for.
TEST_F(StandInPlayerTest, RuntimeFailuresAreReportedWithTheirCause) {
    add_sample_wallpapers();
    const std::string failed =
        "startup: WebView2 初始化失败。请安装 Microsoft Edge WebView2 Evergreen Runtime (x64)，然后重试。: ";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"loader_result=0x80070002", "CreateCoreWebView2EnvironmentWithOptions failed: 0x80070002"},
        {"environment_result=0x80004005", "WebView2 environment creation failed: 0x80004005"},
        // Another process holds the profile: no install message.
        {"environment_result=0x8007139f", ""},
        {"controller_result=0x8007139f", "WebView2 controller creation failed: 0x8007139f"},
    };
    for (const auto& [fault, cause] : cases) {
        configure({fault});
        const std::size_t mark = log_text().size();
        start_player();
        const std::string expected = !cause.empty() ? failed + cause
                                                    : "startup: " + std::string(core::kProfileInUseRefusal) +
                                                          ": WebView2 environment creation failed: 0x8007139f";
        EXPECT_TRUE(wait_for_log(expected, kLoad, mark)) << fault << "\n" << logs();
        stop_player();
        // Only a controller failure gets as far as starting a browser.
        if (!fault.starts_with("controller")) {
            EXPECT_EQ(count_in_standin("browser launched"), 0u) << standin_log();
        }
    }

    configure({"callback_delay_ms=400"});
    const std::size_t mark = log_text().size();
    start_player();
    EXPECT_TRUE(wait_for_log("wallpaper bridge ready", kLoad, mark)) << logs();
}

// A renderer that crashes is reported by the browser; the player rebuilds the page at its
// recovery pace and gives up after three failures within a minute. While no page lives in
// it, the host behind the icons is hidden, so the desktop shows its own background; another
// wallpaper brings it back. That one's large clip, whose answer the runtime cannot take, is
// logged and fails the page.
TEST_F(StandInPlayerTest, ACrashingPageLeavesTheDesktopItsOwnUntilAnotherIsChosen) {
    add_sample_wallpapers();
    add_test_wallpaper("large-asset");
    test::write_file(root_ / "Tessary\\wallpapers\\large-asset\\clip.mp4", std::string(3 << 20, 'v'));
    configure({"crash_renderer_after_ready_ms=300", "crash_renderer_times=3", "response_limit_bytes=1048576"});
    e2e::ExplorerStandIn explorer(root_ / "explorer-report.txt");
    explorer.start({"--layout=newer"});
    start_player({});
    ASSERT_TRUE(wait_for_log("page process: the wallpaper page's process failed 3 times within a minute", 90s))
        << logs();
    EXPECT_EQ(count_in_log("wallpaper page process failed: render process exited"), 3u) << logs();
    EXPECT_EQ(count_in_log("wallpaper bridge ready"), 3u) << logs();
    EXPECT_EQ(count_in_standin("event ProcessFailed render process exited"), 3u) << standin_log();
    // Each dead page's host was hidden before the next build replaced it.
    ASSERT_TRUE(wait_for_log("wallpaper host hidden", kReact, log_text().find("within a minute"))) << logs();
    const std::string crashes = log_text();
    for (std::size_t at = 0, failure = 0; failure < 3; ++failure) {
        at = crashes.find("wallpaper page process failed", at);
        const std::size_t hidden = crashes.find("wallpaper host hidden until its page is built again", at);
        EXPECT_LT(hidden, crashes.find("loaded aurora-drift", at)) << failure << "\n" << crashes;
        at = hidden;
    }
    // Given up: no fourth page, and the last host stays hidden.
    const auto host_of = [&](const std::string& loaded) {
        const std::string log = log_text();
        const std::size_t at = log.find("host=", log.rfind(loaded)) + 5;
        return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(std::stoull(log.substr(at), nullptr, 16)));
    };
    const auto shown = [](HWND host) { return (::GetWindowLongPtrW(host, GWL_STYLE) & WS_VISIBLE) != 0; };
    const HWND last = host_of("loaded aurora-drift mode=desktop");
    test::pump_messages(7s);
    EXPECT_EQ(count_in_standin("view 4 created"), 0u) << standin_log();
    EXPECT_EQ(count_in_standin("browser launched"), 1u) << standin_log();
    EXPECT_TRUE(::IsWindow(last) && !shown(last)) << logs();

    // Another wallpaper: a new host on the desktop with the new page. Its clip is refused
    // with the cause, which fails the page, so the desktop command builds it again.
    EXPECT_EQ(start({"--select-wallpaper", "large-asset"}).wait(kLoad), 0u);
    ASSERT_TRUE(wait_for_standin("page console log scene clip 404", kLoad)) << logs();
    const HWND host = host_of("loaded large-asset mode=desktop");
    EXPECT_TRUE(shown(host)) << logs();
    EXPECT_EQ(::GetParent(host), explorer.handle("wallpaper_worker")) << logs();
    EXPECT_NE(standin_log().find("fault: CreateWebResourceResponse fails for 3145728 bytes"), std::string::npos);
    EXPECT_TRUE(wait_for_log("wallpaper resource could not be answered: clip.mp4: the answer could not be made: "
                             "0x8007000e", kReact)) << logs();
    command(core::CMD_SET_DESKTOP);
    EXPECT_TRUE(wait_for_standin("view 5 created", kReact)) << logs();
}

// A page that floods the player with failure reports, readiness messages and requests for
// missing files: its log lines stop at the budget, the player keeps answering and the
// page counts as failed.
TEST_F(StandInPlayerTest, AFloodingPageCannotFloodThePlayer) {
    add_test_wallpaper("flood");
    start_player();
    ASSERT_TRUE(wait_for_standin("page console log flood done", kLoad)) << logs();
    // Past its budget the page is no longer listened to: the handler is taken off once, the
    // player says so once, and its missing files are still answered.
    ASSERT_TRUE(wait_for_standin("call remove_WebMessageReceived", kLoad)) << logs();
    EXPECT_EQ(count_in_standin("call remove_WebMessageReceived"), 1u);
    EXPECT_EQ(count_in_standin("served 404 http://wlp.localhost/missing-"), 300u);
    // The player takes the last of what reached it; the log stops growing.
    for (std::size_t size = 0; size != log_text().size();) {
        size = log_text().size();
        test::pump_messages(2s);
    }
    EXPECT_EQ(count_in_log("wallpaper page posts more than 1000 messages or 1 MiB a second; no longer listening to it"),
              1u);

    // Only the answers matter here, not their speed (the benchmark times them).
    DWORD_PTR result = 0;
    EXPECT_NE(::SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &result), 0);
    HWND panel = nullptr;
    while ((panel = ::FindWindowExW(nullptr, panel, L"Tessary.Panel", nullptr)) != nullptr) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(panel, &owner);
        if (owner == player_->id()) break;
    }
    ASSERT_NE(panel, nullptr);
    wchar_t title[64] = {};
    EXPECT_NE(::SendMessageTimeoutW(panel, WM_GETTEXT, std::size(title), reinterpret_cast<LPARAM>(title),
                                    SMTO_ABORTIFHUNG, 10000, &result), 0);
    EXPECT_STREQ(title, L"Tessary · 壁纸控制");

    const std::string log = log_text();
    const std::size_t page_lines = count_in_log("wallpaper bridge ready") +
                                   count_in_log("wallpaper reported resource failure") +
                                   count_in_log("wallpaper resource rejected or missing: ");
    EXPECT_EQ(page_lines, 256u) << log.substr(0, 4000);
    EXPECT_EQ(count_in_log("wallpaper page keeps failing or messaging; further lines about it are not logged"), 1u);
    EXPECT_LT(log.size(), 32u * 1024) << log.substr(0, 4000);
    // The failure reports came first: the page never counted as ready again.
    EXPECT_EQ(count_in_log("wallpaper bridge ready"), 1u) << log.substr(0, 4000);
    EXPECT_EQ(player_->wait(0ms), std::nullopt);
}

// When the whole browser goes, the page comes back in a browser started anew.
TEST_F(StandInPlayerTest, ABrowserThatExitsIsStartedAgain) {
    add_sample_wallpapers();
    configure({"kill_browser_after_ready_ms=300"});
    start_player();
    ASSERT_TRUE(wait_for_log("wallpaper page process failed: browser process exited", kLoad)) << logs();
    ASSERT_TRUE(wait_for_standin("view 2 created", kLoad)) << logs();
    ASSERT_TRUE(wait_for_log("wallpaper bridge ready", kLoad, log_text().find("browser process exited"))) << logs();
    EXPECT_EQ(count_in_log("wallpaper bridge ready"), 2u) << logs();
    EXPECT_EQ(count_in_standin("browser launched"), 2u) << standin_log();
    // A new environment for the new browser.
    EXPECT_EQ(count_in_standin("event environment created"), 2u) << standin_log();
    EXPECT_EQ(log_text().find("page process:"), std::string::npos) << logs();
}

}  // namespace

namespace {

// Along one page's life: muted before it loads, no dialog or print, no gestures, media that
// seeks; hidden and suspended while nobody can see it and shown again with its frame, but
// left on view under the user's own pause; a runtime that updated itself (controllers fail
// in the kept environment) met with one new environment and no install message; and a
// command line that would override the browser refused before any browser starts.
TEST_F(StandInPlayerTest, ThePageIsQuietSeeksAndSleepsWhileUnseen) {
    add_test_wallpaper("quiet-page");
    add_test_wallpaper("deferred-ready");
    configure({"controller_result=0x8007139f", "controller_result_after=1", "resume_result=0x80004005"});
    start_player({"--preview", "--select-wallpaper", "quiet-page"});
    ASSERT_TRUE(wait_for_log("wallpaper bridge ready", kLoad)) << logs();
    ASSERT_TRUE(wait_for_standin("page console log probe seek ", kLoad)) << logs();
    const auto probe = [&](const std::string& name) { return last_standin_line("page console log probe " + name + " "); };
    const std::string first = standin_log();
    EXPECT_LT(first.find("call put_IsMuted TRUE"), first.find("call Navigate")) << first;
    EXPECT_LT(first.find("call put_DefaultBackgroundColor 000000 alpha 255"), first.find("call Navigate")) << first;
    for (const char* call : {"call put_AreDefaultScriptDialogsEnabled FALSE", "call put_IsPinchZoomEnabled FALSE",
                             "call put_IsSwipeNavigationEnabled FALSE", "call put_IsPasswordAutosaveEnabled FALSE",
                             "call put_IsGeneralAutofillEnabled FALSE", "call add_PermissionRequested",
                             "event ScriptDialogOpening alert dismissed", "event ScriptDialogOpening confirm dismissed",
                             "event ScriptDialogOpening prompt dismissed", "served 206 http://wlp.localhost/clip.wav"}) {
        EXPECT_NE(first.find(call), std::string::npos) << call << "\n" << logs();
    }
    EXPECT_EQ(first.find("page dialog shown"), std::string::npos) << first;
    EXPECT_EQ(probe("print"), "undefined writable=false");
    EXPECT_EQ(probe("seek"), "5.0");

    // Locked: hidden, then suspended (frozen in the browser); the page is told as before.
    std::size_t mark = standin_log().size();
    ASSERT_TRUE(::PostMessageW(window_, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 0));
    ASSERT_TRUE(wait_for_standin("page frozen in view 1", kReact, mark)) << logs();
    EXPECT_TRUE(wait_for_standin("page state {\"paused\":true", kReact, mark)) << logs();
    std::string seen = standin_log().substr(mark);
    EXPECT_LT(seen.find("call put_IsVisible FALSE"), seen.find("call TrySuspend")) << seen;
    EXPECT_EQ(seen.find("while visible"), std::string::npos) << seen;
    // Unlocked: resumed and shown, with a frame that is not blank.
    mark = standin_log().size();
    ASSERT_TRUE(::PostMessageW(window_, WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 0));
    ASSERT_TRUE(wait_for_standin("screenshot ", kReact, mark)) << logs();
    seen = standin_log().substr(mark);
    // Resume fails, and the view is shown all the same (which resumes it).
    EXPECT_LT(seen.find("fault: Resume fails with 0x80004005"), seen.find("call put_IsVisible TRUE")) << seen;
    EXPECT_NE(seen.find("page active in view 1"), std::string::npos) << seen;
    EXPECT_NE(log_text().find("the WebView could not be resumed; shown all the same: Resume"), std::string::npos)
        << logs();
    const std::string shot = last_standin_line("screenshot ");
    EXPECT_GT(std::atoi(shot.substr(shot.find("colours=") + 8).c_str()), 1) << shot;
    // The user's own pause keeps the last frame on view.
    mark = standin_log().size();
    command(core::CMD_TOGGLE_PAUSE);
    ASSERT_TRUE(wait_for_standin("page state {\"paused\":true", kReact, mark)) << logs();
    test::pump_messages(1500ms);
    EXPECT_EQ(count_in_standin("call put_IsVisible FALSE", mark), 0u) << logs();
    command(core::CMD_TOGGLE_PAUSE);

    // The next build meets the stale environment: one new environment, no install message.
    mark = standin_log().size();
    EXPECT_EQ(start({"--select-wallpaper", "deferred-ready"}).wait(kLoad), 0u);
    ASSERT_TRUE(wait_for_standin("view 2 created", kLoad, mark)) << logs();
    ASSERT_TRUE(wait_for_standin("page navigated http://wlp.localhost/index.html", kLoad, mark)) << logs();
    EXPECT_EQ(count_in_standin("call CreateCoreWebView2EnvironmentWithOptions"), 2u) << standin_log();
    EXPECT_NE(log_text().find("WebView2 controller creation failed in the kept environment; trying a new one"),
              std::string::npos) << logs();
    EXPECT_EQ(log_text().find("WebView2 初始化失败"), std::string::npos) << logs();
    stop_player();

    // A command line that would add its own browser switches: no browser, the reason in the
    // log and in the start-up box.
    mark = standin_log().size();
    const std::size_t player_mark = log_text().size();
    player_.emplace(start({"--preview", "--edge-webview-switches=--remote-debugging-port=9222"}));
    const auto box = test::wait_for_message_box(player_->id(), kLoad);
    ASSERT_TRUE(box) << logs();
    EXPECT_EQ(box->text, "启动失败：\n" + std::string(core::kBrowserSwitchesStatus));
    test::dismiss(*box);
    EXPECT_TRUE(wait_for_log("startup: " + std::string(core::kBrowserSwitchesRefusal), kReact, player_mark)) << logs();
    // The command line cannot change by itself: past the recovery step's 5 s, nothing is
    // tried again.
    test::pump_messages(8s);
    EXPECT_EQ(count_in_log(std::string(core::kBrowserSwitchesRefusal), player_mark), 1u) << logs();
    EXPECT_EQ(count_in_standin("browser launched", mark), 0u) << standin_log();
    EXPECT_EQ(count_in_standin("call CreateCoreWebView2EnvironmentWithOptions", mark), 0u) << standin_log();
}

}  // namespace
