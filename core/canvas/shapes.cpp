#include "core/canvas/shapes.h"

#include <algorithm>
#include <cmath>

#include "core/canvas/raster.h"

namespace core {

namespace {

// One pixel of widening catches every centre an anti-aliased edge can still reach.
constexpr double kEdgeMargin = 1.0;

double clamp01(double value) { return std::clamp(value, 0.0, 1.0); }

double fill_coverage(double distance) { return clamp01(0.5 - distance); }

}  // namespace

namespace {

// The rounded rectangle's distance with everything that does not depend on the point
// worked out once per primitive rather than once per pixel.
class RoundRectField {
public:
    RoundRectField(RectF rect, double radius)
        : left_(rect.left),
          top_(rect.top),
          hw_((rect.right - rect.left) / 2),
          hh_((rect.bottom - rect.top) / 2),
          r_(std::max(0.0, std::min({radius, hw_, hh_}))) {}

    double distance(PointF point) const {
        const double qx = std::abs(point.x - left_ - hw_) - hw_ + r_;
        const double qy = std::abs(point.y - top_ - hh_) - hh_ + r_;
        // Most pixels of a card lie inside the straight part, where no square root is
        // needed. Outside, a sum of squares that overflows only says "far outside".
        if (qx <= 0 && qy <= 0) return std::max(qx, qy) - r_;
        const double ox = std::max(qx, 0.0);
        const double oy = std::max(qy, 0.0);
        return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0) - r_;
    }

private:
    double left_;
    double top_;
    double hw_;
    double hh_;
    double r_;
};

}  // namespace

double round_rect_distance(RectF rect, double radius, PointF point) {
    return RoundRectField(rect, radius).distance(point);
}

void fill_round_rect(PixelSurface& surface, RectF rect, double radius, ColorRef color) {
    const RoundRectField field(rect, radius);
    paint_coverage(surface, pixel_box(surface, rect, kEdgeMargin), color, [&](PointF centre) {
        return fill_coverage(field.distance(centre));
    });
}

void stroke_round_rect(PixelSurface& surface, RectF rect, double radius, double width, ColorRef color) {
    const RoundRectField field(rect, radius);
    paint_coverage(surface, pixel_box(surface, rect, kEdgeMargin), color, [&](PointF centre) {
        const double d = field.distance(centre);
        return fill_coverage(d) - fill_coverage(d + width);
    });
}

void drop_shadow(PixelSurface& surface, RectF rect, double radius, double blur, double opacity) {
    // A blur that is not positive (NaN included) gives a hard-edged shadow instead of a
    // division by zero.
    const double b = blur > 0 ? blur : 0.0;
    const RoundRectField field(rect, radius);
    paint_coverage(surface, pixel_box(surface, rect, b), kShadowColor, [&](PointF centre) {
        const double d = field.distance(centre);
        const double t = b > 0 ? clamp01((d + b) / (2 * b)) : (d < 0 ? 0.0 : d > 0 ? 1.0 : 0.5);
        return std::min((1 - (3 - 2 * t) * t * t) * opacity, 1.0);
    });
}

void fill_circle(PixelSurface& surface, PointF centre, double radius, ColorRef color) {
    const RectF bounds{centre.x - radius, centre.y - radius, centre.x + radius, centre.y + radius};
    paint_coverage(surface, pixel_box(surface, bounds, kEdgeMargin), color, [&](PointF point) {
        return clamp01(radius - std::hypot(point.x - centre.x, point.y - centre.y) + 0.5);
    });
}

void stroke_line(PixelSurface& surface, PointF from, PointF to, double width, ColorRef color) {
    const double half = width / 2;
    const RectF bounds{std::min(from.x, to.x) - half, std::min(from.y, to.y) - half,
                       std::max(from.x, to.x) + half, std::max(from.y, to.y) + half};
    const double dx = to.x - from.x;
    const double dy = to.y - from.y;
    const double length_squared = dx * dx + dy * dy;
    paint_coverage(surface, pixel_box(surface, bounds, kEdgeMargin), color, [&](PointF point) {
        // A segment of no length is a dot: its only point is the start.
        double along = 0;
        if (length_squared > 0) {
            along = std::clamp(((point.x - from.x) * dx + (point.y - from.y) * dy) / length_squared, 0.0, 1.0);
        }
        const double dist = std::hypot(point.x - (from.x + along * dx), point.y - (from.y + along * dy));
        return clamp01(half - dist + 0.5);
    });
}

}  // namespace core
