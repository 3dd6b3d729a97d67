#pragma once

#include <cstdint>

namespace core {

// A Windows COLORREF: red in bits 0-7, green in 8-15, blue in 16-23, the top byte 0.
// Kept as a plain integer so that the platform-free rules and GDI share one value.
using Colour = std::uint32_t;

constexpr Colour rgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return static_cast<Colour>(red) | (static_cast<Colour>(green) << 8) | (static_cast<Colour>(blue) << 16);
}

// The colour written as "#RRGGBB", given as the number 0xRRGGBB.
constexpr Colour rgb_hex(std::uint32_t rrggbb) {
    return rgb(static_cast<std::uint8_t>(rrggbb >> 16), static_cast<std::uint8_t>(rrggbb >> 8),
               static_cast<std::uint8_t>(rrggbb));
}

constexpr std::uint8_t red_of(Colour colour) { return static_cast<std::uint8_t>(colour); }
constexpr std::uint8_t green_of(Colour colour) { return static_cast<std::uint8_t>(colour >> 8); }
constexpr std::uint8_t blue_of(Colour colour) { return static_cast<std::uint8_t>(colour >> 16); }

// Each channel halfway between the two, a half rounded up.
constexpr Colour mix_half(Colour a, Colour b) {
    const auto mid = [](std::uint8_t x, std::uint8_t y) { return static_cast<std::uint8_t>((x + y + 1) / 2); };
    return rgb(mid(red_of(a), red_of(b)), mid(green_of(a), green_of(b)), mid(blue_of(a), blue_of(b)));
}

}  // namespace core
