#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/canvas/color.h"

namespace core {

// The background of a wallpaper card's list item and the panel's ink colour; the tile
// colours are the card colour mixed with these.
inline constexpr ColorRef kCardItemBackground = hex_color(0xFFFDF9);
inline constexpr ColorRef kPanelInk = hex_color(0x3A2A21);

// 32-bit FNV-1a over the bytes.
std::uint32_t fnv1a_32(std::string_view bytes);

// The colour that marks a wallpaper's card, chosen from its id.
ColorRef card_colour(std::string_view id);

struct TileColours {
    ColorRef fill;  // the card colour half-and-half with the item background
    ColorRef text;  // the card colour half-and-half with the ink

    bool operator==(const TileColours&) const = default;
};

TileColours tile_colours(std::string_view id);

// The first character of the name in upper case (full mapping, so it can be longer than
// one character), as UTF-8; empty for an empty name or one that does not begin with
// well-formed UTF-8.
std::string tile_initial(std::string_view name);

}  // namespace core
