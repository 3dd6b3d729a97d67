#pragma once

#include <windows.h>

namespace win32 {

// The per-window DPI functions of Windows 10, resolved once from user32; null where the
// system lacks them, and callers then simply skip the DPI step.
struct DpiFunctions {
    DPI_AWARENESS_CONTEXT(WINAPI* get_window_context)(HWND) = nullptr;
    DPI_AWARENESS_CONTEXT(WINAPI* set_thread_context)(DPI_AWARENESS_CONTEXT) = nullptr;
};

const DpiFunctions& dpi_functions();

// Makes the window's DPI awareness context the calling thread's, when it reports one.
void adopt_window_dpi_context(HWND window);

// Switches the calling thread to per-monitor awareness version 2.
void use_per_monitor_v2_dpi();

}  // namespace win32
