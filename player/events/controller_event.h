#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "core/startup/command_line.h"

namespace player {

// Private messages of the controller window (WM_APP = 0x8000).
inline constexpr UINT MSG_TRAY_CALLBACK = WM_APP + 1;
inline constexpr UINT MSG_TRAY_MENU = WM_APP + 2;
inline constexpr UINT MSG_SHOW_CONTROL = WM_APP + 3;
inline constexpr UINT MSG_REFRESH_CONTROL = WM_APP + 4;
inline constexpr UINT MSG_QUEUE_WAKE = WM_APP + 5;
inline constexpr UINT MSG_DESKTOP_CLICK = WM_APP + 6;
inline constexpr UINT MSG_DISPLAY_STATE = WM_APP + 7;
inline constexpr UINT MSG_SELECT_WALLPAPER = WM_APP + 8;
// The page's browser process failed (the build's process_failed flag says which page).
inline constexpr UINT MSG_PAGE_PROCESS_FAILED = WM_APP + 9;
// The author-preview build's own event, queued by the message loop itself (no window
// receives it): the author's folder changed and has been quiet for a moment.
inline constexpr UINT MSG_SOURCE_CHANGED = WM_APP + 10;
// Queued by the event loop itself, never posted: the Run key's values changed.
inline constexpr UINT MSG_AUTOSTART_CHANGED = WM_APP + 11;

// The controller's tick timer.
inline constexpr UINT_PTR kTickTimerId = 1;

// A primary-button press captured by the raw-input handler.
struct ClickRecord {
    POINT position{};
    HWND foreground = nullptr;
    HWND under_cursor = nullptr;
    std::chrono::steady_clock::time_point time;
};

// One queued window event: the message, its wParam and what it carries.
struct ControllerEvent {
    UINT message = 0;
    WPARAM wparam = 0;
    std::variant<std::monostate, core::RequestedId, std::uint32_t, ClickRecord> payload;
};

// The main thread's event queue. Only the controller window procedure pushes and only
// the main loop pops, both on the main thread, so no lock is needed.
void queue_event(ControllerEvent event);
std::optional<ControllerEvent> pop_event();
void clear_events();

}  // namespace player
