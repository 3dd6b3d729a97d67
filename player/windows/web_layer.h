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

// Fixed features the browser is started with: no Edge-only pop-ups or SmartScreen, and
// media that plays without a user gesture (a wallpaper never gets one). The asset host
// resolves to nothing, so a request or connection the resource filter cannot see
// (WebSocket, a request left unanswered) fails in the browser instead of reaching
// whatever listens on this machine: every *.localhost name is loopback.
inline constexpr std::string_view kBrowserArguments =
    "--disable-features=msWebOOUI,msPdfOOUI,msSmartScreenProtection --autoplay-policy=no-user-gesture-required "
    "\"--host-resolver-rules=MAP wlp.localhost ~NOTFOUND\"";

// What one build asks of the browser. The layer itself refuses new windows and downloads
// and turns off developer tools, default context menus, browser accelerator keys, zoom
// and the status bar, and keeps the browser filling its parent's client area.
struct WebViewConfig {
    // The canonical "wlp://localhost/..." form; the layer maps it onto its own origin.
    std::string start_url;
    // Run before any script of the page, in the top-level document only, in this order.
    std::vector<std::string> main_frame_scripts;
    // Answers every request of the asset origin, synchronously, on the UI thread.
    std::function<core::AssetResponse(std::string_view url)> serve_asset;
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
};

// One browser control inside a host window. Dropping it closes the browser.
class WebView {
public:
    virtual ~WebView() = default;

    // Position and size inside the parent, in physical pixels.
    virtual core::Status set_bounds(const RECT& bounds) = 0;
    // Fire-and-forget: the script's result is not awaited.
    virtual core::Status execute_script(std::string_view script) = 0;
};

// The browser engine with its profile (user-data folder and browser arguments), created
// once and used by every build.
class WebLayer {
public:
    virtual ~WebLayer() = default;

    virtual core::Result<std::unique_ptr<WebView>> create(HWND parent, WebViewConfig config) = 0;
};

}  // namespace player
