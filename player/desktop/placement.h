#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "core/error/error.h"

namespace player {

// What placing the host reads and changes of the controller's host fields.
struct PlacementContext {
    HWND host = nullptr;
    bool has_webview = false;
    bool& mounted;
    HWND& parent_workerw;
    std::optional<std::string>& status_text;
    // Fits the WebView to the host's client area.
    std::function<core::Status()> fit_webview;
    // The page has reported (ready or failed): until then a host on the desktop stays
    // hidden, so that the desktop never shows the view's blank background.
    bool page_shown = true;
};

// Puts the host where the wanted mode needs it: behind the desktop icons, or as the
// preview window. With fallback, a desktop that cannot be used shows the preview instead;
// without it (recovery, display changes) the host is hidden until the desktop is back.
core::Status apply_mode(PlacementContext& context, bool desktop_wanted, bool fallback);

// Turns a desktop child back into the top-level preview window.
core::Status detach_to_preview(HWND host);

}  // namespace player
