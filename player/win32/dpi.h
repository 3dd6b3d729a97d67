#pragma once

#include <windows.h>

namespace win32 {

// The per-window DPI functions of Windows 10, resolved once from user32; null where the
// system lacks them, and callers then simply skip the DPI step.
struct DpiFunctions {
    DPI_AWARENESS_CONTEXT(WINAPI* get_window_context)(HWND) = nullptr;
    DPI_AWARENESS_CONTEXT(WINAPI* set_thread_context)(DPI_AWARENESS_CONTEXT) = nullptr;
    UINT(WINAPI* get_window_dpi)(HWND) = nullptr;
    BOOL(WINAPI* adjust_rect_for_dpi)(RECT*, DWORD, BOOL, DWORD, UINT) = nullptr;
};

const DpiFunctions& dpi_functions();

// Makes the window's DPI awareness context the calling thread's, when it reports one.
void adopt_window_dpi_context(HWND window);

// Switches the calling thread to per-monitor awareness version 2.
void use_per_monitor_v2_dpi();

// The window's DPI; the screen's where the system cannot say per window.
UINT window_dpi(HWND window);

// The outer rectangle of a window without a menu whose client area is the rectangle,
// at the DPI; at the system's own DPI where the system has no per-DPI version.
void adjust_window_rect_for_dpi(RECT& rect, DWORD style, DWORD ex_style, UINT dpi);

}  // namespace win32
