#pragma once

#include <optional>

#include "core/controls/panel_rect.h"

namespace core {

// The clickable delete zone at the right end of each card, in pixels.
int delete_zone_width(int dpi);

// Whether x (list client pixels) lies in the delete zone of an item whose rectangle ends
// at item_right.
bool in_delete_zone(int x, int item_right, int dpi);

// The parts of one wallpaper card, in pixels of the item's own canvas (origin at the
// item's top left).
struct CardLayout {
    PanelRect tile;         // the initial's rounded square
    PanelRect name;         // the display name, one line
    PanelRect badge;        // the "in use" pill; empty unless a badge is shown
    PanelRect delete_zone;  // the delete icon is centred in it
};

// badge_text_width is the measured width of the badge text, given only for the
// wallpaper in use.
CardLayout card_layout(int dpi, int item_width, int item_height, std::optional<int> badge_text_width);

}  // namespace core
