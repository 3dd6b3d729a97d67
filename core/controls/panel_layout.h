#pragma once

#include <cstddef>

#include "core/controls/panel_rect.h"

namespace core {

// The margin, in units, that every button gets on each side for its focus ring; the
// button rectangles of the layout include it.
inline constexpr int kFocusRingUnits = 3;

// Five cards show at once; a longer list scrolls.
inline constexpr std::size_t kVisibleCards = 5;

// The client width at the DPI: (dpi x 480 + 32) div 96.
int panel_client_width(int dpi);

// The width the detail text wraps to (the client width less four margins); the caller
// measures the wrapped height at this width before it asks for the layout.
int detail_text_width(int dpi);

// The detail height the layout reserves: the measured height, kept between two and five
// lines (a line height below 2 counts as 1).
int clamp_detail_height(int line_height, int measured_height);

struct PanelLayout {
    int client_width = 0;
    int client_height = 0;
    int detail_height = 0;  // the clamped height of the detail text

    PanelRect header_card;
    PanelRect title_line;
    PanelRect status_area;  // the status line and the detail text below it
    PanelRect status_line;
    PanelRect detail_text;
    PanelRect desktop_button;  // 110, ring margin included
    PanelRect pause_button;    // 101, ring margin included
    PanelRect preview_button;  // 111, ring margin included

    PanelRect list_heading;
    PanelRect list_card;  // the empty-state card when nothing is installed
    PanelRect list_box;   // 112, inside the list card

    PanelRect autostart_check;  // 114, ring margin included
    PanelRect exit_button;      // 107, ring margin included
};

// The whole window at the DPI (at least 96, see panel_dpi), given the line height of the
// detail font, the measured height of the wrapped detail text and the number of wallpapers.
PanelLayout panel_layout(int dpi, int line_height, int measured_detail_height, std::size_t wallpaper_count);

}  // namespace core
