#pragma once

#include <algorithm>
#include <cstdint>

namespace core {

// Lengths of the control window are designed in units of 1/96 inch.
inline constexpr int kPanelBaseDpi = 96;

// The window's DPI as the panel uses it: a report below 96 (or none, 0) counts as 96.
constexpr int panel_dpi(int reported_dpi) { return std::max(reported_dpi, kPanelBaseDpi); }

// S(v): a length in units converted to pixels, a half pixel rounded up. Wide arithmetic
// keeps any int DPI free of overflow.
constexpr int scale_length(int dpi, int units) {
    return static_cast<int>((static_cast<std::int64_t>(dpi) * units + kPanelBaseDpi / 2) / kPanelBaseDpi);
}

}  // namespace core
