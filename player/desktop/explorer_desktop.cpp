#include "player/desktop/explorer_desktop.h"

#include <cwchar>

#include "player/win32/dpi.h"

namespace player {
namespace {

// Explorer's request to create the WorkerW behind the icons. Undocumented: the call and
// its time-out are ours, its effect is Explorer's.
constexpr UINT kSpawnWorkerMessage = 0x052C;
constexpr UINT kSpawnWorkerTimeoutMs = 1000;

DWORD owning_process(HWND window) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    return process;
}

bool contains(const RECT& outer, const RECT& inner) {
    return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
           outer.bottom >= inner.bottom;
}

bool has_icon_view(HWND window) {
    return ::FindWindowExW(window, nullptr, L"SHELLDLL_DefView", nullptr) != nullptr;
}

struct TopLevelSearch {
    DWORD explorer_process = 0;
    HWND found = nullptr;
};

BOOL CALLBACK find_worker_after_icons(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<TopLevelSearch*>(context);
    if (!has_icon_view(window)) return TRUE;
    const HWND worker = ::FindWindowExW(nullptr, window, L"WorkerW", nullptr);
    if (is_safe_wallpaper_workerw(worker, search->explorer_process)) {
        search->found = worker;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

RECT primary_monitor_rect() {
    const HMONITOR monitor = ::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(monitor, &info);
    return info.rcMonitor;
}

bool wallpaper_must_be_layered() {
    const HWND progman = ::FindWindowW(L"Progman", nullptr);
    return progman != nullptr && (::GetWindowLongPtrW(progman, GWL_EXSTYLE) & WS_EX_NOREDIRECTIONBITMAP) != 0;
}

bool covers_primary_monitor(HWND window) {
    RECT rect{};
    if (!::GetWindowRect(window, &rect)) return false;
    const RECT primary = primary_monitor_rect();
    return ::EqualRect(&rect, &primary) != FALSE;
}

bool is_safe_wallpaper_workerw(HWND window, DWORD explorer_process) {
    if (window == nullptr || !::IsWindow(window) || !::IsWindowVisible(window)) return false;
    if (owning_process(window) != explorer_process) return false;
    if (has_icon_view(window)) return false;
    RECT rect{};
    if (!::GetWindowRect(window, &rect)) return false;
    return contains(rect, primary_monitor_rect());
}

core::Result<HWND> find_wallpaper_workerw() {
    const HWND progman = ::FindWindowW(L"Progman", nullptr);
    if (progman == nullptr) return core::fail("Explorer desktop not available");
    win32::adopt_window_dpi_context(progman);
    const DWORD explorer = owning_process(progman);
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(progman, kSpawnWorkerMessage, 0x0D, 1, SMTO_ABORTIFHUNG, kSpawnWorkerTimeoutMs, &ignored);

    // Newer layout: the icons sit directly under Progman, and so does the WorkerW.
    if (has_icon_view(progman)) {
        for (HWND worker = ::FindWindowExW(progman, nullptr, L"WorkerW", nullptr); worker != nullptr;
             worker = ::FindWindowExW(progman, worker, L"WorkerW", nullptr)) {
            if (is_safe_wallpaper_workerw(worker, explorer)) return worker;
        }
    }
    // Classic layout: the WorkerW is the top-level window right after the one with the icons.
    TopLevelSearch search{explorer, nullptr};
    ::EnumWindows(find_worker_after_icons, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) return search.found;
    return core::fail("No safe wallpaper WorkerW; use preview and retry after Explorer restarts");
}

bool is_still_usable(HWND window) {
    const HWND progman = ::FindWindowW(L"Progman", nullptr);
    if (progman == nullptr) return false;
    return is_safe_wallpaper_workerw(window, owning_process(progman));
}

bool is_desktop_window(HWND window) {
    if (window == nullptr || !::IsWindow(window)) return false;
    const HWND root = ::GetAncestor(window, GA_ROOT);
    wchar_t class_name[128] = {};
    ::GetClassNameW(root, class_name, 128);
    if (std::wcscmp(class_name, L"Progman") != 0 && std::wcscmp(class_name, L"WorkerW") != 0) return false;
    const HWND progman = ::FindWindowW(L"Progman", nullptr);
    if (progman == nullptr) return false;
    const DWORD explorer = owning_process(progman);
    return explorer != 0 && owning_process(root) == explorer;
}

void repaint_desktop_background(HWND left_worker) {
    // Windows 10 may keep the last frame of a window that left the WorkerW (or black) where
    // the wallpaper should be. RDW_INVALIDATE | RDW_ERASE marks the windows, and all their
    // children, for a WM_ERASEBKGND when Explorer next paints them; without RDW_UPDATENOW
    // or RDW_ERASENOW, RedrawWindow paints nothing itself, so a hung Explorer holds nothing.
    constexpr UINT kRepaint = RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN;
    const HWND progman = ::FindWindowW(L"Progman", nullptr);
    if (progman == nullptr) return;
    const DWORD explorer = owning_process(progman);
    ::RedrawWindow(progman, nullptr, nullptr, kRepaint);
    if (left_worker != nullptr && ::IsWindow(left_worker) && owning_process(left_worker) == explorer &&
        ::GetAncestor(left_worker, GA_ROOT) != progman) {
        ::RedrawWindow(left_worker, nullptr, nullptr, kRepaint);
    }
}

bool foreground_hides_wallpaper(HWND host) {
    const HWND foreground = ::GetForegroundWindow();
    if (foreground == nullptr || foreground == host || is_desktop_window(foreground) || ::IsIconic(foreground)) {
        return false;
    }
    RECT rect{};
    if (!::GetWindowRect(foreground, &rect)) return false;
    const RECT primary = primary_monitor_rect();
    if (contains(rect, primary)) return true;
    return ::IsZoomed(foreground) &&
           ::MonitorFromWindow(foreground, MONITOR_DEFAULTTONULL) ==
               ::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
}

}  // namespace player
