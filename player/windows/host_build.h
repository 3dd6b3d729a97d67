#pragma once

#include "core/content/wallpaper_item.h"
#include "core/error/error.h"
#include "player/windows/host_state.h"

namespace player {

inline constexpr std::string_view kWebViewUnavailableMessage =
    "WebView2 初始化失败。请安装 Microsoft Edge WebView2 Evergreen Runtime (x64)，然后重试。";

// Builds the host afresh for the wallpaper: drops the old window and WebView, creates new
// bridge flags, a new Tessary.Host window with its WebView pointed at the asset protocol,
// places it and logs "loaded ...". A null wallpaper fails with "no wallpaper selected".
core::Status build_host(HostState& host, const HostServices& services, const core::SharedWallpaper& wallpaper,
                        bool fallback_to_preview);

// Drops the page: the WebView before its window, the mount, and the bridge flags, which
// are replaced so that the old page can no longer count as ready or failed; nothing
// pushed to it counts any more.
void close_host(HostState& host);

// The page is gone for good (its process died): drops the WebView and keeps the window for
// the next build. On the desktop the window hides, so that the desktop shows its own
// background again; elsewhere it shows the text. Again with another text, shows that one.
core::Status leave_without_page(HostState& host, std::string_view text);

// Fits the WebView to the host's client area.
core::Status sync_webview_bounds(HostState& host);

}  // namespace player
