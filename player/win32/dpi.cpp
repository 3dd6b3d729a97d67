#include "player/win32/dpi.h"

#include "player/win32/gdi.h"

namespace win32 {

const DpiFunctions& dpi_functions() {
    static const DpiFunctions functions = [] {
        DpiFunctions resolved;
        const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
        if (user32 != nullptr) {
            resolved.get_window_context = reinterpret_cast<decltype(resolved.get_window_context)>(
                reinterpret_cast<void*>(::GetProcAddress(user32, "GetWindowDpiAwarenessContext")));
            resolved.set_thread_context = reinterpret_cast<decltype(resolved.set_thread_context)>(
                reinterpret_cast<void*>(::GetProcAddress(user32, "SetThreadDpiAwarenessContext")));
            resolved.get_window_dpi = reinterpret_cast<decltype(resolved.get_window_dpi)>(
                reinterpret_cast<void*>(::GetProcAddress(user32, "GetDpiForWindow")));
            resolved.adjust_rect_for_dpi = reinterpret_cast<decltype(resolved.adjust_rect_for_dpi)>(
                reinterpret_cast<void*>(::GetProcAddress(user32, "AdjustWindowRectExForDpi")));
        }
        return resolved;
    }();
    return functions;
}

void adopt_window_dpi_context(HWND window) {
    const DpiFunctions& dpi = dpi_functions();
    if (dpi.get_window_context == nullptr || dpi.set_thread_context == nullptr) return;
    if (const DPI_AWARENESS_CONTEXT context = dpi.get_window_context(window)) dpi.set_thread_context(context);
}

void use_per_monitor_v2_dpi() {
    if (const auto set = dpi_functions().set_thread_context) set(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
}

UINT window_dpi(HWND window) {
    if (const auto get = dpi_functions().get_window_dpi) {
        if (const UINT dpi = get(window); dpi != 0) return dpi;
    }
    const unique_window_dc screen = get_window_dc(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen.get().dc, LOGPIXELSX) : USER_DEFAULT_SCREEN_DPI;
    return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

void adjust_window_rect_for_dpi(RECT& rect, DWORD style, DWORD ex_style, UINT dpi) {
    if (const auto adjust = dpi_functions().adjust_rect_for_dpi) {
        if (adjust(&rect, style, FALSE, ex_style, dpi)) return;
    }
    ::AdjustWindowRectEx(&rect, style, FALSE, ex_style);
}

}  // namespace win32
