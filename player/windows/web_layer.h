#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/error/error.h"
#include "core/web/asset_protocol.h"

namespace player {

// The browser's fixed arguments, each for a reason:
inline constexpr std::string_view kBrowserArguments =
    // No Edge-only pop-ups or SmartScreen (which would also call out to its service).
    "--disable-features=msWebOOUI,msPdfOOUI,msSmartScreenProtection "
    // Media plays without a user gesture: a wallpaper never gets one (it plays muted).
    "--autoplay-policy=no-user-gesture-required "
    // No scrollbars are drawn, in any frame: nobody can scroll a wallpaper on the desktop.
    // The page still scrolls by script, and its CSS and scripts stay as written. WebView2
    // has no setting for it (WebView2Feedback issue 188); this is Chromium's own switch.
    "--hide-scrollbars "
    // No name is ever looked up, and no address is reached by name or literal: every host,
    // IP literals and the proxy below included, resolves to nothing. The asset host is
    // answered by the resource filter before any lookup; a request the filter cannot see
    // (WebSocket, preconnect, dns-prefetch, a request left unanswered) fails in the browser
    // instead of reaching whatever listens on this machine.
    "\"--host-resolver-rules=MAP * ~NOTFOUND\" "
    // Every connection goes to a proxy that cannot be reached (port 0 accepts nothing),
    // loopback included (Chromium bypasses the proxy for loopback unless told not to): a
    // second wall behind the resolver rule for WebSocket, WebTransport, preconnect and hints.
    "--proxy-server=127.0.0.1:0 --proxy-bypass-list=<-loopback> "
    // WebRTC may use UDP only through the proxy, which offers none, and TCP only through
    // the proxy, which cannot be reached: no STUN or TURN packet to any address the page
    // names, and no probing of the local network.
    "--webrtc-ip-handling-policy=disable_non_proxied_udp "
    // No QUIC: HTTP/3 would speak UDP.
    "--disable-quic";

// What one build asks of the browser. The layer itself refuses new windows and downloads
// and turns off developer tools, default context menus, browser accelerator keys, zoom
// and the status bar, and keeps the browser filling its parent's client area.
struct WebViewConfig {
    // The canonical "wlp://localhost/..." form; the layer maps it onto its own origin.
    std::string start_url;
    // Run before any script of the page, in the top-level document only, in this order.
    std::vector<std::string> main_frame_scripts;
    // Answers every request of the asset origin, synchronously, on the UI thread; range is
    // the request's Range header (empty without one).
    std::function<core::AssetResponse(std::string_view url, std::string_view range)> serve_asset;
    // The answer instead when serve_asset's could not be handed to the browser; the cause
    // says why, for the log.
    std::function<core::AssetResponse(std::string_view url, std::string_view cause)> refuse_unanswered;
    // Every string the page posts through window.ipc, until it floods (PageMessageBudget).
    std::function<void(std::string_view message)> on_page_message;
    // The page went over its message budget: nothing it posts is received any longer.
    std::function<void()> on_page_flood;
    // Navigations for which it returns false are cancelled.
    std::function<bool(std::string_view url)> allow_navigation;
    // The page's renderer or the whole browser exited or stopped answering: the page is
    // gone and only a new build brings it back. Given a short English description.
    std::function<void(std::string_view what)> on_process_failed;
    // Where the layer writes what the player's log should hold about the browser.
    std::function<void(std::string_view line)> log;
};

// One browser control inside a host window. Dropping it closes the browser.
class WebView {
public:
    virtual ~WebView() = default;

    // Position and size inside the parent, in physical pixels.
    virtual core::Status set_bounds(const RECT& bounds) = 0;
    // Fire-and-forget: the script's result is not awaited.
    virtual core::Status execute_script(std::string_view script) = 0;
    // True while nobody can see the wallpaper (display off or dimmed, session locked,
    // system suspended, desktop covered): the page is hidden and its processes suspended,
    // so that a page ignoring the pause costs nothing; false shows and resumes it. A layer
    // without that ability ignores it.
    virtual core::Status set_unseen(bool unseen) {
        (void)unseen;
        return {};
    }
};

// The browser engine with its profile (user-data folder and browser arguments), created
// once and used by every build.
class WebLayer {
public:
    virtual ~WebLayer() = default;

    virtual core::Result<std::unique_ptr<WebView>> create(HWND parent, WebViewConfig config) = 0;
};

}  // namespace player
