#pragma once

namespace player::webview2 {

// The loader lets WEBVIEW2_* environment variables override the browser folder, the
// profile folder and the browser arguments. The player's browser is configured by the
// player alone, so they are removed from its own environment before the browser starts
// (whatever a parent process or a user set).
void remove_browser_overrides();

// The runtime appends the value of an --edge-webview-switches argument on this program's
// own command line to the browser's arguments, after the program's, so that it wins.
// True when the command line names that switch in any spelling the browser accepts
// (any case, "--", "-" or "/"): such a browser would not be configured by the program.
bool command_line_overrides_browser();

}  // namespace player::webview2
