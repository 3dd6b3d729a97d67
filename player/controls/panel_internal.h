#pragma once

#include <windows.h>

#include <commctrl.h>

#include "player/controls/panel_state.h"

// The pieces of the control window that its procedure, its list and its refresh share.
namespace player {

LRESULT CALLBACK panel_window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT CALLBACK wallpaper_list_procedure(HWND list, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                          DWORD_PTR state);

PanelState* panel_state_of(HWND window);

// Posts a command to the controller window, the only way anything leaves the window.
void post_command(const PanelState& state, int command);

// Fonts for the state's DPI, set on every child; the previous set goes afterwards.
void use_fonts_for_dpi(PanelState& state);
// Measures, places every control, sizes the window and repaints it all.
void apply_panel_layout(PanelState& state);

// Painting: the whole client area, one list card, one button.
void paint_panel(PanelState& state, HDC target, const RECT& client);
void draw_wallpaper_card(PanelState& state, const DRAWITEMSTRUCT& item);
LRESULT draw_panel_button(PanelState& state, NMCUSTOMDRAW& draw);

}  // namespace player
