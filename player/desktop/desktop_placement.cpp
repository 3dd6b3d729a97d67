#include "player/desktop/desktop_placement.h"

#include "player/desktop/explorer_desktop.h"
#include "player/desktop/placement.h"
#include "player/win32/dpi.h"
#include "player/windows/host_build.h"

namespace player {

void DesktopPlacement::prepare_window_dpi(HostState& host) {
    if (!host.desktop_wanted) {
        win32::use_per_monitor_v2_dpi();
        return;
    }
    // Finding the WorkerW already adopts Progman's awareness; the host is then created
    // with the units of the desktop windows it will live in.
    auto worker = find_wallpaper_workerw();
    host.parent_worker = worker ? *worker : nullptr;
    if (host.parent_worker != nullptr) win32::adopt_window_dpi_context(host.parent_worker);
}

core::Status DesktopPlacement::place(HostState& host, bool fallback_to_preview) {
    return apply_host_mode(host, fallback_to_preview);
}

core::Status apply_host_mode(HostState& host, bool fallback_to_preview) {
    PlacementContext context{host.window.get(), host.webview != nullptr, host.mounted, host.parent_worker,
                             host.status_text, [&host] { return sync_webview_bounds(host); }};
    return apply_mode(context, host.desktop_wanted, fallback_to_preview);
}

void close_host_and_repaint(HostState& host) {
    const HWND left = host.mounted ? host.parent_worker : nullptr;
    close_host(host);
    if (left != nullptr) repaint_desktop_background(left);
}

}  // namespace player
