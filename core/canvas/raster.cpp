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

}  // namespace core
