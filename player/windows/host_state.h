#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/error/error.h"
#include "core/web/bridge_flags.h"
#include "core/web/readiness.h"
#include "core/web/state_push.h"
#include "player/win32/unique_resource.h"
#include "player/windows/host_notice.h"
#include "player/windows/web_layer.h"

namespace player {

// The host fields the controller holds; a rebuild replaces their values.
struct HostState {
    // Declared before the WebView so that the WebView is dropped first.
    win32::unique_window window;
    std::unique_ptr<WebView> webview;
    // What the window shows while it has no page; declared after the window, so it lets
    // go of the window's painting first.
    std::unique_ptr<HostNotice> notice;
    // Parented to a WorkerW on the desktop.
    bool mounted = false;
    // The mode the user chose: desktop (true) or preview (false).
    bool desktop_wanted = true;
    // The WorkerW the host is or will be parented to; not owned.
    HWND parent_worker = nullptr;
    core::SharedBridgeFlags flags = std::make_shared<core::BridgeFlags>();
    // For the readiness limit and for discarding clicks older than the page.
    std::optional<core::MonotonicTime> load_start;
    std::optional<core::MonotonicTime> last_attempt;
    std::optional<core::MonotonicTime> last_check;
    core::LastPushedState last_pushed;
    std::optional<std::string> status_text;
};

// Where the host goes once built: the desktop embedding and the preview window.
class HostPlacement {
public:
    virtual ~HostPlacement() = default;

    // Before the window is created: in desktop mode find the wallpaper WorkerW, store it
    // (or none) as parent_worker and take on its DPI awareness; in preview mode use
    // per-monitor awareness version 2. The new window inherits the thread's awareness.
    virtual void prepare_window_dpi(HostState& host) = 0;
    // Applies the wanted mode to the new host. An error leaves the host recorded so that
    // the recovery check can try again.
    virtual core::Status place(HostState& host, bool fallback_to_preview) = 0;
};

using LogFunction = std::function<void(std::string_view line)>;

// What a build needs besides the host fields.
struct HostServices {
    WebLayer& web_layer;
    HostPlacement& placement;
    // Receives MSG_REFRESH_CONTROL from the page and the asset protocol, WM_COMMAND
    // CMD_EXIT from the host window.
    HWND controller_window = nullptr;
    LogFunction log;
    // Asks the controller to refresh its status display and menus; may be empty.
    std::function<void()> refresh_status;
    std::function<core::MonotonicTime()> now = [] { return std::chrono::steady_clock::now(); };
};

}  // namespace player
