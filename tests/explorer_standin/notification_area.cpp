// Shell_NotifyIcon finds the notification area's window by its class "Shell_TrayWnd" and
// sends it the request as WM_COPYDATA; a zero answer is a failed call (Windows and Wine
// alike). A window of that class found first, which answers zero, is a notification area
// that refuses.
#include "notification_area.h"

#include <cwchar>

namespace {

constexpr wchar_t kTrayClass[] = L"Shell_TrayWnd";
// Shell_NotifyIcon waits this long for the notification area.
constexpr UINT kForwardTimeoutMs = 4000;

HWND g_tray = nullptr;
ULONGLONG g_ready_at = 0;

BOOL CALLBACK find_other_tray(HWND window, LPARAM found) {
    wchar_t name[32] = {};
    ::GetClassNameW(window, name, 32);
    if (window == g_tray || std::wcscmp(name, kTrayClass) != 0) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

LRESULT CALLBACK tray_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message != WM_COPYDATA) return ::DefWindowProcW(window, message, wparam, lparam);
    if (::GetTickCount64() < g_ready_at) return FALSE;
    HWND wine_tray = nullptr;
    ::EnumWindows(find_other_tray, reinterpret_cast<LPARAM>(&wine_tray));
    DWORD_PTR result = FALSE;
    if (wine_tray == nullptr ||
        !::SendMessageTimeoutW(wine_tray, WM_COPYDATA, wparam, lparam, SMTO_ABORTIFHUNG, kForwardTimeoutMs, &result)) {
        return FALSE;
    }
    return static_cast<LRESULT>(result);
}

}  // namespace

HWND start_notification_area(DWORD refuses_for_ms) {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = tray_procedure;
    window_class.hInstance = ::GetModuleHandleW(nullptr);
    window_class.lpszClassName = kTrayClass;
    ::RegisterClassW(&window_class);
    g_ready_at = ::GetTickCount64() + refuses_for_ms;
    // Never shown; topmost so that the search by class meets it before Wine's own.
    g_tray = ::CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kTrayClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                               nullptr, ::GetModuleHandleW(nullptr), nullptr);
    return g_tray;
}
