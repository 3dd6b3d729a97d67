#pragma once

#include <cstdint>

namespace core {

// A Windows COLORREF: red in bits 0-7, green in 8-15, blue in 16-23.
using ColorRef = std::uint32_t;

constexpr ColorRef rgb(int red, int green, int blue) {
    return static_cast<ColorRef>(red & 0xFF) | static_cast<ColorRef>(green & 0xFF) << 8 |
           static_cast<ColorRef>(blue & 0xFF) << 16;
}

// The colour written "#RRGGBB" in a design, given as 0xRRGGBB, as a COLORREF.
constexpr ColorRef hex_color(std::uint32_t rrggbb) {
    return rgb(static_cast<int>(rrggbb >> 16 & 0xFF), static_cast<int>(rrggbb >> 8 & 0xFF),
               static_cast<int>(rrggbb & 0xFF));
}

constexpr int red_of(ColorRef color) { return static_cast<int>(color & 0xFF); }
constexpr int green_of(ColorRef color) { return static_cast<int>(color >> 8 & 0xFF); }
constexpr int blue_of(ColorRef color) { return static_cast<int>(color >> 16 & 0xFF); }

// The pixel word of the canvas, 0x00RRGGBB, for a COLORREF.
constexpr std::uint32_t pixel_from_color(ColorRef color) {
    return static_cast<std::uint32_t>(red_of(color)) << 16 |
           static_cast<std::uint32_t>(green_of(color)) << 8 | static_cast<std::uint32_t>(blue_of(color));
}

// The two colours mixed half and half, each channel (a + b) / 2 rounded half up.
constexpr ColorRef mix_half(ColorRef a, ColorRef b) {
    return rgb((red_of(a) + red_of(b) + 1) / 2, (green_of(a) + green_of(b) + 1) / 2,
               (blue_of(a) + blue_of(b) + 1) / 2);
}

}  // namespace core
