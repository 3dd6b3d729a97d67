#pragma once

#include <windows.h>

#include "core/error/error.h"

namespace player {

// Explorer's WorkerW behind the desktop icons, asking Explorer to create it if needed.
core::Result<HWND> find_wallpaper_workerw();

// A visible WorkerW of Explorer's process, without the icon view, covering the primary
// monitor.
bool is_safe_wallpaper_workerw(HWND window, DWORD explorer_process);

// The safe test against the process that owns "Progman" now.
bool is_still_usable(HWND window);

// Whether the window's root is Explorer's desktop ("Progman" or "WorkerW" of its process).
bool is_desktop_window(HWND window);

// Whether the foreground window hides the wallpaper on the primary monitor.
bool foreground_hides_wallpaper(HWND host);

// Asks Explorer to paint its own background again where a host left the desktop (see
// docs/desktop.md). Only invalidates: nothing is sent to Explorer's thread, and nothing
// touches the user's wallpaper, slideshow or Spotlight setting.
void repaint_desktop_background(HWND left_worker);

// The primary monitor's full rectangle (not the work area).
RECT primary_monitor_rect();

// Whether Explorer composes its desktop from layered children, as from Windows 11 24H2:
// Progman then has no redirection bitmap (WS_EX_NOREDIRECTIONBITMAP).
bool wallpaper_must_be_layered();

// Whether the window covers exactly the primary monitor.
bool covers_primary_monitor(HWND window);

}  // namespace player
