#pragma once

namespace core {

// Device pixels; pixel (x, y) is the unit square whose centre is (x + 0.5, y + 0.5).
struct PointF {
    double x = 0;
    double y = 0;
};

struct RectF {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
};

}  // namespace core
