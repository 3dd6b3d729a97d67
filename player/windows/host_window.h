#pragma once

#include <windows.h>

#include "core/error/error.h"

namespace player {

inline constexpr wchar_t kHostWindowClass[] = L"Tessary.Host";

// Registers the host window's class; a failure reads "window registration failed: " and
// the system error number.
core::Status register_host_window_class();

// Handles only closing (which asks the controller window, stored in GWLP_USERDATA, to exit
// instead of destroying the host) and mouse activation while the host sits on the desktop.
LRESULT CALLBACK host_window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace player
