#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace wallpkg {

// Paths the preview answers itself on the page's origin. A wallpaper folder can never
// hold a path beginning with "." (the folder rules refuse it), so none shadows a file.
inline constexpr std::string_view kPreviewPathPrefix = "/.tessary/";
inline constexpr std::string_view kPageScriptPath = "/.tessary/page.js";
inline constexpr std::string_view kPageMessagePath = "/.tessary/message";
inline constexpr std::string_view kPageEventsPath = "/.tessary/events";

// What a previewed document runs before its own scripts, in its top-level frame only:
// a stand-in for WebView2's message channel that posts to the preview, the player's
// window.ipc shim and bridge script exactly as the player installs them, and a poll that
// hands the player's events to window.__tessaryDispatch. It is served from the page's
// own origin, so the page's policy needs no exception for it.
std::string preview_page_script(std::uint64_t document);

// The HTML with a classic script element for the page script placed first (after a
// doctype, which must stay first), so that it runs before any script of the page.
std::string inject_page_script(std::string_view html, std::uint64_t document);

}  // namespace wallpkg
