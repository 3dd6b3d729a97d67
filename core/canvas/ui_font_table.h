#pragma once

#include <array>

namespace core {

// The seven fonts of the control window, numbered 1 to 7 in the design.
inline constexpr int kUiFontCount = 7;

// Each font by its number, named for its size and weight; the rows of kUiFontStyles
// below are in this order.
inline constexpr int kUiFontTitle = 1;         // 20 px, 600
inline constexpr int kUiFontHeading = 2;       // 15 px, 600
inline constexpr int kUiFontBody = 3;          // 14 px, 400
inline constexpr int kUiFontBodyStrong = 4;    // 14 px, 600
inline constexpr int kUiFontDetail = 5;        // 13 px, 400
inline constexpr int kUiFontSmall = 6;         // 12 px, 400
inline constexpr int kUiFontSmallStrong = 7;   // 12 px, 600

struct UiFontStyle {
    int size = 0;  // pixels at 96 DPI
    int weight = 0;
};

inline constexpr std::array<UiFontStyle, kUiFontCount> kUiFontStyles{{
    {20, 600},
    {15, 600},
    {14, 400},
    {14, 600},
    {13, 400},
    {12, 400},
    {12, 600},
}};

// The DPI the sizes are given at; a window never reports less.
inline constexpr unsigned kUiFontBaseDpi = 96;

// The font height to ask GDI for: negative, so it names the character height in pixels,
// -(size x dpi / 96) truncated towards zero. A DPI below 96 counts as 96.
constexpr int ui_font_height(int size, unsigned dpi) {
    const long long effective_dpi = dpi < kUiFontBaseDpi ? kUiFontBaseDpi : dpi;
    return static_cast<int>(-(static_cast<long long>(size) * effective_dpi / kUiFontBaseDpi));
}

}  // namespace core
