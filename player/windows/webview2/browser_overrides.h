#pragma once

namespace player::webview2 {

// The loader lets WEBVIEW2_* environment variables override the browser folder, the
// profile folder and the browser arguments. The player's browser is configured by the
// player alone, so they are removed from its own environment before the browser starts
// (whatever a parent process or a user set).
void remove_browser_overrides();

}  // namespace player::webview2
