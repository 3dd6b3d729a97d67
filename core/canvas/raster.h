#pragma once

#include <cstdint>

#include "core/canvas/color.h"
#include "core/canvas/geometry.h"
#include "core/canvas/pixel_surface.h"

namespace core {

// Converts with saturation at the limits of int; NaN becomes 0.
int saturate_to_int(double value);

// Whole pixels, columns [left, right) and rows [top, bottom).
struct PixelBox {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool empty() const { return left >= right || top >= bottom; }
};

// The pixels a primitive may touch: its bounds widened by margin on every side, clamped
// to the surface.
PixelBox pixel_box(const PixelSurface& surface, RectF bounds, double margin);

// One pixel moved towards the colour by the coverage: each channel becomes
// round(old + (new - old) x c) with c capped at 1; a coverage that is not above 0 (NaN
// included) leaves the pixel as it was.
inline std::uint32_t blend_pixel(std::uint32_t old_pixel, ColorRef color, double coverage) {
    if (!(coverage > 0)) return old_pixel;
    if (coverage >= 1) return pixel_from_color(color);
    // Each value lies between the old and the new one, within 0..255, so truncating after
    // adding a half rounds to nearest.
    const auto channel = [coverage](std::uint32_t old_value, int new_value) {
        const double old_double = static_cast<double>(old_value);
        return static_cast<std::uint32_t>(old_double + (new_value - old_double) * coverage + 0.5);
    };
    return channel(old_pixel >> 16 & 0xFF, red_of(color)) << 16 | channel(old_pixel >> 8 & 0xFF, green_of(color)) << 8 |
           channel(old_pixel & 0xFF, blue_of(color));
}

// Blends every pixel of the box by the coverage that coverage_at gives for its centre.
template <class CoverageAt>
void paint_coverage(PixelSurface& surface, PixelBox box, ColorRef color, CoverageAt&& coverage_at) {
    for (int y = box.top; y < box.bottom; ++y) {
        std::uint32_t* row = surface.row(y);
        const double py = y + 0.5;
        for (int x = box.left; x < box.right; ++x) {
            row[x] = blend_pixel(row[x], color, coverage_at(PointF{x + 0.5, py}));
        }
    }
}

}  // namespace core
