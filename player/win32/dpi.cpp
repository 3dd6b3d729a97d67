#include "player/win32/dpi.h"

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

}  // namespace win32
