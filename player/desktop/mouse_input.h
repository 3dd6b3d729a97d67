#pragma once

#include <windows.h>

#include <optional>

#include "core/error/error.h"
#include "player/events/controller_event.h"

namespace player {

// Raw mouse input for the whole system, delivered to the controller window even while
// the player is in the background.
core::Status register_mouse_input(HWND target);
void unregister_mouse_input();

// Reads one WM_INPUT record; a press of the primary button (the right one when the
// buttons are swapped) becomes a click record. Anything else is nothing.
std::optional<ClickRecord> read_primary_press(HRAWINPUT input);

}  // namespace player
