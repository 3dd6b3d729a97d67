// A stand-in for Explorer's desktop windows, for the whole-program tests under Wine.
// It owns "Progman", "WorkerW", "SHELLDLL_DefView" and "SysListView32" windows in either
// desktop layout, answers message 0x052C by creating the wallpaper WorkerW, and can be
// told to misbehave in the ways the player guards against. Handles go to a report file,
// one "name=0x..." line each, so that a test can find them; "ready" ends the start-up.
//
//   --layout=classic|newer|both|24h2
//                            icons in a top-level WorkerW, or everything under Progman,
//                            or both at once (then 0x052C makes a WorkerW in each place),
//                            or everything under Progman with the styles of 24H2
//   --worker=normal|hidden|small|foreign|missing|icons
//                            the wallpaper WorkerW as Explorer makes it, or unusable
//   --hung                   never answers 0x052C
//   --hang-after-mount       hangs once another program's window lives in the wallpaper
//                            WorkerW
//   --hang-on-request=MS     sleeps MS milliseconds when the registered message
//                            "Tessary.StandIn.Hang" reaches Progman
//   --left-extent=N          the desktop also covers N pixels left of the primary
//                            monitor, as with a second monitor on that side
//   --resize-after-display-change=N
//                            a moment after WM_DISPLAYCHANGE, stretches the desktop
//                            windows N pixels further left
//   --tray-refuses-for=MS    owns a notification area that refuses every request for MS
//                            milliseconds after the start, then passes them to Wine's
//   --report=PATH            where the handles are written
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "icons.h"

namespace {

constexpr UINT kSpawnWorkerMessage = 0x052C;
constexpr UINT_PTR kRestackTimer = 1;
constexpr UINT_PTR kViewsTimer = 2;  // new frames behind the icons
constexpr UINT_PTR kResizeTimer = 3;
// How long after WM_DISPLAYCHANGE the desktop windows change their size.
constexpr UINT kResizeDelayMs = 1000;

struct Options {
    bool classic = false;  // icons and wallpaper WorkerW at the top level
    bool newer = true;     // icons and wallpaper WorkerW under Progman
    std::wstring worker = L"normal";
    bool hung = false;
    bool hang_after_mount = false;
    DWORD hang_on_request_ms = 0;
    bool layered_desktop = false;  // the 24H2 layout
    int left_extent = 0;
    int resize_after_display_change = 0;
    int tray_refuses_for_ms = -1;  // no notification area of its own
    std::wstring report;
    // Set in the helper process that plays "another program" owning a WorkerW.
    HWND foreign_for = nullptr;
    DWORD parent_process = 0;
};

struct Desktop {
    Options options;
    RECT area{};  // the whole desktop, in screen coordinates
    HWND progman = nullptr;
    HWND icons_worker = nullptr;  // classic layout only
    HWND defview = nullptr;
    HWND wallpaper_worker = nullptr;
    HWND toplevel_worker = nullptr;  // the second one of the layout "both"
    bool restacking = false;
    LONG views_sequence = 0;
};

Desktop g_desktop;

void report(const char* name, HWND window) {
    if (g_desktop.options.report.empty()) return;
    FILE* file = _wfopen(g_desktop.options.report.c_str(), L"a");
    if (file == nullptr) return;
    if (window != nullptr) {
        std::fprintf(file, "%s=0x%llx\n", name, static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(window)));
    } else {
        std::fprintf(file, "%s\n", name);
    }
    std::fclose(file);
}

bool starts_with(const wchar_t* text, const wchar_t* prefix) { return std::wcsncmp(text, prefix, std::wcslen(prefix)) == 0; }

Options parse(int argc, wchar_t** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const wchar_t* arg = argv[i];
        if (std::wcscmp(arg, L"--layout=classic") == 0) {
            options.classic = true;
            options.newer = false;
        }
        if (std::wcscmp(arg, L"--layout=both") == 0) options.classic = true;
        if (std::wcscmp(arg, L"--layout=24h2") == 0) options.layered_desktop = true;
        if (starts_with(arg, L"--worker=")) options.worker = arg + 9;
        if (std::wcscmp(arg, L"--hung") == 0) options.hung = true;
        if (std::wcscmp(arg, L"--hang-after-mount") == 0) options.hang_after_mount = true;
        if (starts_with(arg, L"--hang-on-request=")) options.hang_on_request_ms = static_cast<DWORD>(_wtoi(arg + 18));
        if (starts_with(arg, L"--resize-after-display-change=")) options.resize_after_display_change = _wtoi(arg + 30);
        if (starts_with(arg, L"--tray-refuses-for=")) options.tray_refuses_for_ms = _wtoi(arg + 19);
        if (starts_with(arg, L"--left-extent=")) options.left_extent = _wtoi(arg + 14);
        if (starts_with(arg, L"--report=")) options.report = arg + 9;
        if (starts_with(arg, L"--foreign-for=")) {
            options.foreign_for = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(std::wcstoull(arg + 14, nullptr, 16)));
        }
        if (starts_with(arg, L"--parent-process=")) options.parent_process = static_cast<DWORD>(_wtoi(arg + 17));
    }
    return options;
}

RECT primary_monitor() {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info);
    return info.rcMonitor;
}

int width(const RECT& rect) { return rect.right - rect.left; }
int height(const RECT& rect) { return rect.bottom - rect.top; }

// Keeps the desktop windows at the bottom of the Z order, the icons above the wallpaper
// WorkerW. Wine raises a newly mapped pop-up, and one the pointer enters, without telling
// its owner, so the order is checked again on a timer.
void restack() {
    Desktop& d = g_desktop;
    d.restacking = true;
    // Each window in turn goes to the bottom, from the top one down: the last placed ends
    // lowest.
    for (HWND window : {d.icons_worker, d.toplevel_worker, d.wallpaper_worker, d.progman}) {
        if (window == nullptr || !::IsWindow(window) || ::GetAncestor(window, GA_PARENT) != ::GetDesktopWindow()) {
            continue;
        }
        ::SetWindowPos(window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    }
    d.restacking = false;
}

// Wine raises a window's X window only when it becomes the top one, and never lowers it,
// so the X server (which decides where a press goes) keeps the order of the last raises.
// Raising the desktop windows bottom-up and then putting them back at the bottom gives
// the X server the icons above the wallpaper WorkerW, and Windows the desktop below all.
void raise_then_restack() {
    Desktop& d = g_desktop;
    d.restacking = true;
    for (HWND window : {d.progman, d.wallpaper_worker, d.toplevel_worker, d.icons_worker}) {
        if (window == nullptr || !::IsWindow(window) || ::GetAncestor(window, GA_PARENT) != ::GetDesktopWindow()) {
            continue;
        }
        ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
    }
    restack();
}

// Whether the desktop windows are the last ones in the Z order, in their own order.
bool in_order() {
    const Desktop& d = g_desktop;
    HWND expected[4];
    int count = 0;
    for (HWND window : {d.icons_worker, d.toplevel_worker, d.wallpaper_worker}) {
        if (window != nullptr && ::IsWindow(window) && ::GetAncestor(window, GA_PARENT) == ::GetDesktopWindow()) {
            expected[count++] = window;
        }
    }
    expected[count++] = d.progman;
    HWND window = ::GetWindow(d.progman, GW_HWNDLAST);
    for (int i = count - 1; i >= 0; --i) {
        // Skip windows of other processes that Wine keeps hidden at the bottom.
        while (window != nullptr && window != expected[i] && !::IsWindowVisible(window)) {
            window = ::GetWindow(window, GW_HWNDPREV);
        }
        if (window != expected[i]) return false;
        window = ::GetWindow(window, GW_HWNDPREV);
    }
    return true;
}

HWND make_worker(HWND parent, const RECT& rect, bool visible) {
    DWORD style = WS_CLIPSIBLINGS | WS_CLIPCHILDREN | (parent != nullptr ? WS_CHILD : WS_POPUP);
    DWORD ex_style = parent != nullptr ? 0 : WS_EX_TOOLWINDOW;
    if (parent != nullptr && g_desktop.options.layered_desktop) {
        // 24H2's wallpaper WorkerW: a disabled child that input passes through.
        style = WS_CHILD | WS_DISABLED;
        ex_style = WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
    }
    if (visible) style |= WS_VISIBLE;
    return ::CreateWindowExW(ex_style, L"WorkerW", L"", style, rect.left, rect.top, width(rect), height(rect), parent,
                             nullptr, ::GetModuleHandleW(nullptr), nullptr);
}

// The icon view: SHELLDLL_DefView with the list of icons inside, filling its parent. In
// 24H2 it is a layered child of Progman, which has no content of its own.
HWND make_icon_view(HWND parent, const RECT& client) {
    const bool layered = g_desktop.options.layered_desktop && parent == g_desktop.progman;
    const HWND view = ::CreateWindowExW(layered ? WS_EX_LAYERED : 0, L"SHELLDLL_DefView", L"",
                                        WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, width(client), height(client),
                                        parent, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (layered) ::SetLayeredWindowAttributes(view, 0, 255, LWA_ALPHA);
    const HWND list = ::CreateWindowExW(0, L"SysListView32", L"FolderView", WS_CHILD | WS_VISIBLE, 0, 0, width(client),
                                        height(client), view, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    report("listview", list);
    return view;
}

// The wallpaper WorkerW as the switches shape it. The screen area is in screen
// coordinates; a child of Progman gets Progman's client coordinates.
HWND create_wallpaper_worker(bool under_progman) {
    Desktop& d = g_desktop;
    const std::wstring& kind = d.options.worker;
    if (kind == L"missing" || kind == L"foreign") return nullptr;
    RECT rect = d.area;
    if (kind == L"small") rect.right = rect.left + width(rect) / 2;
    HWND parent = nullptr;
    if (under_progman) {
        parent = d.progman;
        ::OffsetRect(&rect, -d.area.left, -d.area.top);
    }
    const HWND worker = make_worker(parent, rect, kind != L"hidden");
    if (kind == L"icons") make_icon_view(worker, rect);
    if (parent != nullptr) {
        // Below the icons among Progman's children.
        ::SetWindowPos(worker, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    return worker;
}

// Fits every desktop window to the desktop's area: top-level ones in screen coordinates,
// children in their parent's.
void fit_desktop_windows() {
    const Desktop& d = g_desktop;
    for (HWND window : {d.progman, d.icons_worker, d.toplevel_worker, d.wallpaper_worker, d.defview}) {
        const bool top = ::GetAncestor(window, GA_PARENT) == ::GetDesktopWindow();
        ::SetWindowPos(window, nullptr, top ? d.area.left : 0, top ? d.area.top : 0, width(d.area), height(d.area),
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

// A window that is not there yet: a notification area that is not ready (see the README).
HWND g_tray = nullptr;
ULONGLONG g_tray_ready_at = 0;

BOOL CALLBACK find_wine_tray(HWND window, LPARAM found) {
    wchar_t name[32] = {};
    ::GetClassNameW(window, name, 32);
    if (window == g_tray || std::wcscmp(name, L"Shell_TrayWnd") != 0) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

LRESULT CALLBACK tray_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message != WM_COPYDATA) return ::DefWindowProcW(window, message, wparam, lparam);
    HWND wine_tray = nullptr;
    if (::GetTickCount64() >= g_tray_ready_at) ::EnumWindows(find_wine_tray, reinterpret_cast<LPARAM>(&wine_tray));
    DWORD_PTR result = FALSE;
    // Shell_NotifyIcon gives the notification area four seconds.
    if (wine_tray != nullptr) ::SendMessageTimeoutW(wine_tray, WM_COPYDATA, wparam, lparam, 0, 4000, &result);
    return static_cast<LRESULT>(result);
}

// Never shown; topmost, so that the search by class meets it before Wine's own.
HWND start_notification_area(DWORD refuses_for_ms) {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = tray_procedure;
    window_class.hInstance = ::GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"Shell_TrayWnd";
    ::RegisterClassW(&window_class);
    g_tray_ready_at = ::GetTickCount64() + refuses_for_ms;
    g_tray = ::CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, L"Shell_TrayWnd", L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                               nullptr, ::GetModuleHandleW(nullptr), nullptr);
    return g_tray;
}

LRESULT CALLBACK desktop_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    Desktop& d = g_desktop;
    switch (message) {
        case kSpawnWorkerMessage:
            if (window != d.progman) break;
            if (d.options.hung) {
                for (;;) ::Sleep(INFINITE);
            }
            if (wparam == 0x0D && lparam == 1 && d.wallpaper_worker == nullptr) {
                d.wallpaper_worker = create_wallpaper_worker(d.options.newer);
                if (d.options.newer && d.options.classic) d.toplevel_worker = create_wallpaper_worker(false);
                if (d.wallpaper_worker != nullptr) report("wallpaper_worker", d.wallpaper_worker);
                if (d.toplevel_worker != nullptr) report("toplevel_worker", d.toplevel_worker);
                raise_then_restack();
            }
            return 0;
        case WM_WINDOWPOSCHANGING: {
            // Explorer's desktop windows never rise above other windows.
            auto* position = reinterpret_cast<WINDOWPOS*>(lparam);
            if (!d.restacking && ::GetAncestor(window, GA_PARENT) == ::GetDesktopWindow()) {
                position->flags |= SWP_NOZORDER;
            }
            break;
        }
        case WM_TIMER:
            if (wparam == kRestackTimer && d.options.hang_after_mount && ::GetWindow(d.wallpaper_worker, GW_CHILD)) {
                // Another program's window lives in the WorkerW: Explorer's thread stops.
                report("hung", nullptr);
                for (;;) ::Sleep(INFINITE);
            }
            if (wparam == kRestackTimer && !in_order()) restack();
            if (wparam == kViewsTimer && views_behind_sequence(d.wallpaper_worker) != d.views_sequence) {
                // A view that left is not painted over: its last frame stays (see the README).
                d.views_sequence = views_behind_sequence(d.wallpaper_worker);
                if (d.views_sequence != 0) {
                    ::InvalidateRect(::FindWindowExW(d.defview, nullptr, L"SysListView32", nullptr), nullptr, TRUE);
                }
            }
            if (wparam == kResizeTimer) {
                ::KillTimer(window, kResizeTimer);
                d.area.left -= d.options.resize_after_display_change;
                fit_desktop_windows();
                report("resized", nullptr);
            }
            return 0;
        case WM_DISPLAYCHANGE:
            // Explorer settles its desktop windows a moment after the display changed.
            if (window == d.progman && d.options.resize_after_display_change != 0) {
                ::SetTimer(window, kResizeTimer, kResizeDelayMs, nullptr);
            }
            break;
        case WM_ERASEBKGND: {
            RECT client{};
            ::GetClientRect(window, &client);
            ::FillRect(reinterpret_cast<HDC>(wparam), &client, static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH)));
            wchar_t name[32] = {};
            ::GetClassNameW(window, name, 32);
            if (std::wcscmp(name, L"SysListView32") == 0) {
                paint_desktop_icons(reinterpret_cast<HDC>(wparam), window, d.wallpaper_worker);
            }
            return 1;
        }
        default:
            if (message == ::RegisterWindowMessageW(L"Tessary.StandIn.Hang") && d.options.hang_on_request_ms != 0) {
                report("hung", nullptr);
                ::Sleep(d.options.hang_on_request_ms);
                report("answering", nullptr);
            }
            break;
    }
    return ::DefWindowProcW(window, message, wparam, lparam);
}

void register_classes() {
    for (const wchar_t* name : {L"Progman", L"WorkerW", L"SHELLDLL_DefView", L"SysListView32"}) {
        WNDCLASSW window_class{};
        window_class.lpfnWndProc = desktop_procedure;
        window_class.hInstance = ::GetModuleHandleW(nullptr);
        window_class.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
        window_class.lpszClassName = name;
        ::RegisterClassW(&window_class);
    }
}

// Another program's WorkerW, placed where Explorer's wallpaper WorkerW would be; lives
// until the stand-in that started it ends.
int run_foreign_worker(const Options& options) {
    const HWND progman = options.foreign_for;
    RECT area{};
    ::GetWindowRect(progman, &area);
    HWND worker = nullptr;
    if (::FindWindowExW(progman, nullptr, L"SHELLDLL_DefView", nullptr) != nullptr) {
        ::OffsetRect(&area, -area.left, -area.top);
        worker = make_worker(progman, area, true);
        ::SetWindowPos(worker, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    } else {
        worker = make_worker(nullptr, area, true);
        const HWND icons = ::FindWindowW(L"WorkerW", nullptr);
        ::SetWindowPos(worker, icons, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    g_desktop.options = options;
    report("wallpaper_worker", worker);
    report("foreign_ready", nullptr);
    const HANDLE parent = ::OpenProcess(SYNCHRONIZE, FALSE, options.parent_process);
    for (;;) {
        const DWORD woke = ::MsgWaitForMultipleObjects(parent != nullptr ? 1 : 0, &parent, FALSE, INFINITE, QS_ALLINPUT);
        if (parent != nullptr && woke == WAIT_OBJECT_0) return 0;
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
    }
}

// Starts the helper process that owns a foreign WorkerW and waits until it is there.
void start_foreign_worker() {
    Desktop& d = g_desktop;
    wchar_t exe[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    wchar_t progman[32];
    std::swprintf(progman, 32, L"%llx", static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(d.progman)));
    std::wstring command = L"\"" + std::wstring(exe) + L"\" --foreign-for=" + progman +
                           L" --parent-process=" + std::to_wstring(::GetCurrentProcessId()) + L" \"--report=" +
                           d.options.report + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return;
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    // The helper appends "foreign_ready" once its window exists.
    for (int i = 0; i < 200; ++i) {
        FILE* file = _wfopen(d.options.report.c_str(), L"r");
        std::string text;
        if (file != nullptr) {
            char buffer[512];
            while (std::fgets(buffer, sizeof(buffer), file) != nullptr) text += buffer;
            std::fclose(file);
        }
        if (text.find("foreign_ready") != std::string::npos) break;
        ::Sleep(50);
    }
    // Kept in order with the others, as if it were Explorer's own.
    d.wallpaper_worker = d.options.newer ? ::FindWindowExW(d.progman, nullptr, L"WorkerW", nullptr)
                                         : ::FindWindowExW(nullptr, d.icons_worker, L"WorkerW", nullptr);
}

void use_per_monitor_dpi() {
    using SetContext = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT);
    const auto set = reinterpret_cast<SetContext>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext")));
    if (set != nullptr) set(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    use_per_monitor_dpi();
    register_classes();
    Options options = parse(argc, argv);
    if (options.foreign_for != nullptr) return run_foreign_worker(options);

    Desktop& d = g_desktop;
    d.options = options;
    d.area = primary_monitor();
    if (options.layered_desktop) {
        // 24H2's Progman spans the whole virtual screen.
        d.area = RECT{::GetSystemMetrics(SM_XVIRTUALSCREEN), ::GetSystemMetrics(SM_YVIRTUALSCREEN),
                      ::GetSystemMetrics(SM_XVIRTUALSCREEN) + ::GetSystemMetrics(SM_CXVIRTUALSCREEN),
                      ::GetSystemMetrics(SM_YVIRTUALSCREEN) + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    }
    d.area.left -= options.left_extent;
    const RECT client{0, 0, width(d.area), height(d.area)};

    // From 24H2 Progman has no content of its own: its children are composed.
    const DWORD progman_ex_style = WS_EX_TOOLWINDOW | (options.layered_desktop ? WS_EX_NOREDIRECTIONBITMAP : 0);
    d.progman = ::CreateWindowExW(progman_ex_style, L"Progman", L"Program Manager",
                                  WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, d.area.left, d.area.top,
                                  width(d.area), height(d.area), nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    report("progman", d.progman);
    if (options.classic) {
        d.icons_worker = make_worker(nullptr, d.area, true);
        report("icons_worker", d.icons_worker);
        d.defview = make_icon_view(d.icons_worker, client);
    }
    if (options.newer) d.defview = make_icon_view(d.progman, client);
    report("defview", d.defview);
    // Explorer's desktop is the shell window; Wine's own desktop leaves it unset.
    using SetShell = BOOL(WINAPI*)(HWND);
    if (const auto set_shell = reinterpret_cast<SetShell>(
            reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "SetShellWindow")))) {
        set_shell(d.progman);
    }
    report("shell_window", ::GetShellWindow());
    restack();
    if (options.worker == L"foreign") {
        start_foreign_worker();
        raise_then_restack();
    }
    ::SetTimer(d.progman, kRestackTimer, 100, nullptr);
    ::SetTimer(d.progman, kViewsTimer, 33, nullptr);
    if (options.tray_refuses_for_ms >= 0) {
        report("tray", start_notification_area(static_cast<DWORD>(options.tray_refuses_for_ms)));
    }

    // As Explorer does at every start: programs put their notification icons back.
    ::SendNotifyMessageW(HWND_BROADCAST, ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    report("ready", nullptr);

    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}
