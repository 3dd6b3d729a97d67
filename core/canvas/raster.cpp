#include "core/canvas/raster.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace core {

int saturate_to_int(double value) {
    if (std::isnan(value)) return 0;
    if (value <= static_cast<double>(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
    if (value >= static_cast<double>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
    return static_cast<int>(value);
}

PixelBox pixel_box(const PixelSurface& surface, RectF bounds, double margin) {
    return PixelBox{
        .left = std::max(0, saturate_to_int(std::floor(bounds.left - margin))),
        .top = std::max(0, saturate_to_int(std::floor(bounds.top - margin))),
        .right = std::min(surface.width(), saturate_to_int(std::ceil(bounds.right + margin))),
        .bottom = std::min(surface.height(), saturate_to_int(std::ceil(bounds.bottom + margin))),
    };
}

namespace {

std::uint32_t blend_channel(std::uint32_t old_value, int new_value, double coverage) {
    const double old_double = static_cast<double>(old_value);
    // Between the old and the new value, so within 0..255.
    return static_cast<std::uint32_t>(std::floor(old_double + (new_value - old_double) * coverage + 0.5));
}

}  // namespace

std::uint32_t blend_pixel(std::uint32_t old_pixel, ColorRef color, double coverage) {
    if (!(coverage > 0)) return old_pixel;
    const double c = std::min(coverage, 1.0);
    return blend_channel(old_pixel >> 16 & 0xFF, red_of(color), c) << 16 |
           blend_channel(old_pixel >> 8 & 0xFF, green_of(color), c) << 8 |
           blend_channel(old_pixel & 0xFF, blue_of(color), c);
}

}  // namespace core
