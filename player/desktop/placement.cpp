#include "player/desktop/placement.h"

#include "core/error/error.h"
#include "core/shell/status_text.h"
#include "player/desktop/explorer_desktop.h"
#include "player/log/log.h"
#include "player/win32/activation.h"
#include "player/win32/dpi.h"
#include "player/win32/handle_text.h"
#include "player/win32/system_error.h"

namespace player {
namespace {

constexpr int kPreviewLeft = 80;
constexpr int kPreviewTop = 80;
constexpr int kPreviewWidth = 1100;
constexpr int kPreviewHeight = 720;
// Styles a window behind the icons must not keep: popup, child, caption, system menu,
// sizing frame and the minimise and maximise boxes; and the never-activate tool window.
constexpr LONG_PTR kMountedStyleCleared = 0xC0CF0000;
constexpr LONG_PTR kMountedExStyleCleared = 0x08040080;
// A child without WS_EX_NOPARENTNOTIFY sends WM_PARENTNOTIFY to Explorer's WorkerW when it
// is destroyed, and waits for Explorer's thread to answer: a hung Explorer would hold
// every switch and the exit (documented for WM_PARENTNOTIFY; measured under Wine: 5.5 s
// for a busy parent, 8 ms with the style).
constexpr LONG_PTR kMountedExStyleAdded = WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW | WS_EX_NOPARENTNOTIFY;

// SetWindowLongPtrW may legitimately return 0: only a set last error marks a failure.
core::Status set_window_long(HWND window, int index, LONG_PTR value) {
    ::SetLastError(0);
    if (::SetWindowLongPtrW(window, index, value) == 0 && ::GetLastError() != 0) {
        return core::fail("window style change failed: " + std::to_string(::GetLastError()));
    }
    return {};
}

core::Status check_host(const PlacementContext& context) {
    if (context.host == nullptr) return core::fail("wallpaper host unavailable");
    if (!::IsWindow(context.host) || !context.has_webview) {
        return core::fail("wallpaper host or WebView disappeared");
    }
    return {};
}

core::Status position_over_primary_monitor(HWND host, HWND parent, bool shown) {
    RECT rect = primary_monitor_rect();
    ::SetLastError(0);
    if (::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2) == 0 && ::GetLastError() != 0) {
        return core::fail("desktop coordinate mapping failed: " + std::to_string(::GetLastError()));
    }
    if (!::SetWindowPos(host, HWND_BOTTOM, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                        (shown ? SWP_SHOWWINDOW : SWP_HIDEWINDOW) | SWP_FRAMECHANGED | SWP_NOACTIVATE)) {
        return core::fail("desktop positioning failed: " + std::to_string(::GetLastError()));
    }
    return {};
}

// Windows 11 24H2 (build 26100) composes the desktop differently: Progman is created with
// WS_EX_NOREDIRECTIONBITMAP (no content of its own), the icon view SHELLDLL_DefView is a
// WS_EX_LAYERED child of Progman, and the WorkerW made by message 0x052C is a child of
// Progman below it. Microsoft's word to wallpaper programs, relayed in public threads: a
// window placed there must be a WS_EX_LAYERED child, preferably with
// SetLayeredWindowAttributes alpha 255, or it is not composed (blog.csdn.net/qq_59075481
// article 125361650, its comments; lulu6432.com/archives/1751668688997). A project found
// that the compositor refuses a window that is already layered at the moment of
// SetParent (github.com/amnweb/yasb pull 920): so the style is cleared before SetParent
// and set after it. Layered child windows need a manifest for Windows 8 or later; ours
// declares Windows 10. docs/desktop.md keeps these facts and what only a 24H2 machine
// can confirm.
core::Status make_layered(HWND host) {
    const LONG_PTR ex_style = ::GetWindowLongPtrW(host, GWL_EXSTYLE);
    if (auto set = set_window_long(host, GWL_EXSTYLE, ex_style | WS_EX_LAYERED); !set) return set;
    if (!::SetLayeredWindowAttributes(host, 0, 255, LWA_ALPHA)) {
        return core::fail("desktop layering failed", win32::failed_call("SetLayeredWindowAttributes"));
    }
    return {};
}

// Re-parents the host into the WorkerW; on failure the host gets its old parent and
// styles back.
core::Status mount_into(HWND host, HWND worker, bool shown) {
    win32::adopt_window_dpi_context(worker);
    if (!::IsWindow(host) || !::IsWindow(worker)) return core::fail("desktop window disappeared");
    // A preview the user minimised or maximised keeps that state as a child: Windows then
    // shows a minimised child at its last normal rectangle, not where it is placed, and a
    // maximised one fills the WorkerW by its own rules. Restored first, while it is still a
    // top-level window, the host goes exactly where it is put. (Wine places it either way.)
    if (::IsIconic(host) || ::IsZoomed(host)) ::ShowWindow(host, SW_RESTORE);
    const LONG_PTR old_style = ::GetWindowLongPtrW(host, GWL_STYLE);
    const LONG_PTR old_ex_style = ::GetWindowLongPtrW(host, GWL_EXSTYLE);
    const HWND old_parent = ::GetParent(host);
    const bool layered = wallpaper_must_be_layered();

    // The preview window is this thread's active (and focus) window; under Explorer's
    // window it must be neither, or hiding or destroying it there would wait for Explorer.
    win32::release_activation(host);
    // A repaint asked of the WorkerW when the last host left it is void once a host covers
    // it again; left pending, placing the host over it can wait for Explorer to erase it
    // (Wine's SetWindowPos erases a child's parent at once, in the parent's thread).
    ::RedrawWindow(worker, nullptr, nullptr, RDW_VALIDATE | RDW_NOERASE | RDW_NOCHILDREN);
    if (auto set = set_window_long(host, GWL_STYLE, (old_style & ~kMountedStyleCleared) | WS_CHILD); !set) return set;
    const LONG_PTR ex_style = (old_ex_style & ~(kMountedExStyleCleared | WS_EX_LAYERED)) | kMountedExStyleAdded;
    if (auto set = set_window_long(host, GWL_EXSTYLE, ex_style); !set) return set;
    ::SetLastError(0);
    core::Status placed;
    if (::SetParent(host, worker) == nullptr && ::GetLastError() != 0) {
        placed = core::fail("SetParent failed: " + std::to_string(::GetLastError()));
    } else {
        placed = layered ? make_layered(host) : core::Status{};
        if (placed) placed = position_over_primary_monitor(host, worker, shown);
    }
    if (!placed) {
        ::SetParent(host, ::IsWindow(old_parent) ? old_parent : nullptr);
        ::SetWindowLongPtrW(host, GWL_STYLE, old_style);
        ::SetWindowLongPtrW(host, GWL_EXSTYLE, old_ex_style);
        return placed;
    }
    if (::GetParent(host) != worker) return core::fail("desktop parent did not match requested WorkerW");
    ::ShowWindow(host, shown ? SW_SHOWNOACTIVATE : SW_HIDE);
    return {};
}

core::Status mount_or_reposition(PlacementContext& context) {
    const HWND host = context.host;
    if (context.mounted && ::GetParent(host) == context.parent_workerw && is_still_usable(context.parent_workerw)) {
        return position_over_primary_monitor(host, context.parent_workerw, context.page_shown);
    }
    HWND worker = context.parent_workerw;
    if (!is_still_usable(worker)) {
        auto found = find_wallpaper_workerw();
        if (!found) return std::unexpected(found.error());
        worker = *found;
    }
    if (auto mounted = mount_into(host, worker, context.page_shown); !mounted) return mounted;
    context.parent_workerw = worker;
    return {};
}

// A desktop that cannot be used is not an error for the caller: the host falls back to
// the preview (or hides until the desktop is back) and the recovery step keeps trying.
core::Status take_failure_path(PlacementContext& context, bool fallback, const core::Error& error) {
    const HWND left = context.mounted ? context.parent_workerw : nullptr;
    context.mounted = false;
    context.parent_workerw = nullptr;
    if (fallback) {
        context.status_text = std::string(core::kDesktopFallbackStatus);
        if (auto detached = detach_to_preview(context.host); !detached) return detached;
        if (auto fitted = context.fit_webview(); !fitted) return fitted;
    } else {
        context.status_text = std::string(core::kDesktopReconnectingStatus);
        ::ShowWindow(context.host, SW_HIDE);
    }
    if (left != nullptr) repaint_desktop_background(left);
    log_line("desktop mount unavailable: " + error.chain());
    return {};
}

core::Status apply_desktop_mode(PlacementContext& context, bool fallback) {
    if (auto usable = check_host(context); !usable) return usable;
    if (auto placed = mount_or_reposition(context); !placed) {
        return take_failure_path(context, fallback, placed.error());
    }
    context.mounted = false;
    context.status_text.reset();
    if (auto fitted = context.fit_webview(); !fitted) return fitted;
    context.mounted = true;
    log_line("desktop mounted host=" + win32::handle_text(context.host) + " parent=" + win32::handle_text(context.parent_workerw));
    return {};
}

core::Status apply_preview_mode(PlacementContext& context) {
    if (auto usable = check_host(context); !usable) return usable;
    const bool is_child = (::GetWindowLongPtrW(context.host, GWL_STYLE) & WS_CHILD) != 0;
    if (context.mounted || is_child) {
        if (auto detached = detach_to_preview(context.host); !detached) return detached;
        if (context.mounted) repaint_desktop_background(context.parent_workerw);
    } else {
        ::ShowWindow(context.host, SW_RESTORE);
    }
    context.mounted = false;
    context.parent_workerw = nullptr;
    context.status_text.reset();
    return context.fit_webview();
}

}  // namespace

core::Status apply_mode(PlacementContext& context, bool desktop_wanted, bool fallback) {
    return desktop_wanted ? apply_desktop_mode(context, fallback) : apply_preview_mode(context);
}

core::Status detach_to_preview(HWND host) {
    if (!::IsWindow(host)) return core::fail("preview window disappeared");
    ::SetLastError(0);
    if (::SetParent(host, nullptr) == nullptr && ::GetLastError() != 0) {
        return core::fail("preview detach failed: " + std::to_string(::GetLastError()));
    }
    if (auto set = set_window_long(host, GWL_STYLE, WS_OVERLAPPEDWINDOW); !set) return set;
    if (auto set = set_window_long(host, GWL_EXSTYLE, WS_EX_APPWINDOW); !set) return set;
    if (!::SetWindowPos(host, nullptr, kPreviewLeft, kPreviewTop, kPreviewWidth, kPreviewHeight,
                        SWP_FRAMECHANGED | SWP_NOACTIVATE | SWP_NOZORDER)) {
        return core::fail("preview positioning failed: " + std::to_string(::GetLastError()));
    }
    ::ShowWindow(host, SW_SHOW);
    return {};
}

}  // namespace player
