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

namespace {

// Ready, failed or past its readiness limit (which counts as failed): the page has drawn
// what it will. A page whose process died has no view and is not shown.
bool page_reported(const HostState& host) {
    return host.webview != nullptr && (host.flags->ready.load() || host.flags->failed.load());
}

}  // namespace

core::Status apply_host_mode(HostState& host, bool fallback_to_preview) {
    PlacementContext context{host.window.get(), host.webview != nullptr, host.mounted, host.parent_worker,
                             host.status_text, [&host] { return sync_webview_bounds(host); }, page_reported(host)};
    return apply_mode(context, host.desktop_wanted, fallback_to_preview);
}

void show_reported_page(HostState& host) {
    const HWND window = host.window.get();
    if (!host.mounted || window == nullptr || ::IsWindowVisible(window) || !page_reported(host)) return;
    ::ShowWindow(window, SW_SHOWNOACTIVATE);
}

void close_host_and_repaint(HostState& host) {
    const HWND left = host.mounted ? host.parent_worker : nullptr;
    close_host(host);
    if (left != nullptr) repaint_desktop_background(left);
}

}  // namespace player
