#include "core/canvas/icons.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <span>

#include "core/canvas/raster.h"
#include "core/canvas/shapes.h"

namespace core {

namespace {

// The glyphs are designed on a grid of this many units per side.
constexpr double kGridUnits = 16.0;
// Strokes are 1.5 units wide but never thinner than this many pixels, so small icons stay
// visible.
constexpr double kStrokeUnits = 1.5;
constexpr double kMinStrokePixels = 1.2;

constexpr int kMaxPolygonPoints = 4;

// A convex polygon in pixels, its points in either winding order.
struct ConvexPolygon {
    std::array<PointF, kMaxPolygonPoints> points{};
    int count = 0;
};

// Grid units to pixels for one icon box.
class IconGrid {
public:
    IconGrid(PointF position, double size) : position_(position), scale_(size / kGridUnits) {}

    double length(double units) const { return units * scale_; }
    PointF point(double x, double y) const { return {position_.x + x * scale_, position_.y + y * scale_}; }
    RectF rect(double left, double top, double right, double bottom) const {
        const PointF top_left = point(left, top);
        const PointF bottom_right = point(right, bottom);
        return {top_left.x, top_left.y, bottom_right.x, bottom_right.y};
    }
    ConvexPolygon polygon(std::initializer_list<PointF> units) const {
        ConvexPolygon result;
        for (const PointF& unit : units) {
            if (result.count == kMaxPolygonPoints) break;
            result.points[static_cast<std::size_t>(result.count++)] = point(unit.x, unit.y);
        }
        return result;
    }
    ConvexPolygon rectangle(double left, double top, double right, double bottom) const {
        return polygon({{left, top}, {right, top}, {right, bottom}, {left, bottom}});
    }
    double stroke_width() const { return std::max(kStrokeUnits * scale_, kMinStrokePixels); }

private:
    PointF position_;
    double scale_;
};

// How far inside the polygon the point lies: the smallest distance to the line of any
// edge, negative outside. Exact inside; near a corner outside it errs towards the inside,
// which only rounds the corner's anti-aliasing.
double inside_distance(const ConvexPolygon& shape, PointF point) {
    double twice_area = 0;
    for (int i = 0; i < shape.count; ++i) {
        const PointF a = shape.points[static_cast<std::size_t>(i)];
        const PointF b = shape.points[static_cast<std::size_t>((i + 1) % shape.count)];
        twice_area += a.x * b.y - b.x * a.y;
    }
    const double winding = twice_area < 0 ? -1.0 : 1.0;
    double nearest = std::numeric_limits<double>::infinity();
    for (int i = 0; i < shape.count; ++i) {
        const PointF a = shape.points[static_cast<std::size_t>(i)];
        const PointF b = shape.points[static_cast<std::size_t>((i + 1) % shape.count)];
        const double length = std::hypot(b.x - a.x, b.y - a.y);
        if (!(length > 0)) continue;
        const double cross = (b.x - a.x) * (point.y - a.y) - (b.y - a.y) * (point.x - a.x);
        nearest = std::min(nearest, winding * cross / length);
    }
    return nearest;
}

// Fills the union of the polygons in one pass, so that edges where two parts meet are
// blended once and leave no seam.
void fill_polygons(PixelSurface& surface, std::span<const ConvexPolygon> shapes, ColorRef color) {
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    RectF bounds{kInfinity, kInfinity, -kInfinity, -kInfinity};
    for (const ConvexPolygon& shape : shapes) {
        for (int i = 0; i < shape.count; ++i) {
            const PointF point = shape.points[static_cast<std::size_t>(i)];
            bounds = {std::min(bounds.left, point.x), std::min(bounds.top, point.y),
                      std::max(bounds.right, point.x), std::max(bounds.bottom, point.y)};
        }
    }
    paint_coverage(surface, pixel_box(surface, bounds, 1.0), color, [&](PointF centre) {
        double inside = -kInfinity;
        for (const ConvexPolygon& shape : shapes) inside = std::max(inside, inside_distance(shape, centre));
        return std::clamp(inside + 0.5, 0.0, 1.0);
    });
}

void draw_pause(PixelSurface& surface, const IconGrid& grid, ColorRef color) {
    fill_round_rect(surface, grid.rect(4, 3, 6.75, 13), grid.length(1), color);
    fill_round_rect(surface, grid.rect(9.25, 3, 12, 13), grid.length(1), color);
}

void draw_play(PixelSurface& surface, const IconGrid& grid, ColorRef color) {
    const std::array shapes{grid.polygon({{5, 2.5}, {13.5, 8}, {5, 13.5}})};
    fill_polygons(surface, shapes, color);
}

void draw_window_preview(PixelSurface& surface, const IconGrid& grid, ColorRef color) {
    stroke_round_rect(surface, grid.rect(2.5, 2.5, 13.5, 13.5), grid.length(2), grid.stroke_width(), color);
}

// A door frame open to the right with an arrow leaving through it.
void draw_exit(PixelSurface& surface, const IconGrid& grid, ColorRef color) {
    const std::array shapes{
        grid.rectangle(2, 2, 3.75, 14),
        grid.rectangle(2, 2, 8, 3.75),
        grid.rectangle(2, 12.25, 8, 14),
        grid.rectangle(6, 7.125, 11, 8.875),
        grid.polygon({{10, 4}, {14.5, 8}, {10, 12}}),
    };
    fill_polygons(surface, shapes, color);
}

void draw_waste_bin(PixelSurface& surface, const IconGrid& grid, ColorRef color) {
    const double width = grid.stroke_width();
    stroke_round_rect(surface, grid.rect(3.5, 5.5, 12.5, 14), grid.length(1.5), width, color);
    stroke_line(surface, grid.point(2, 4.25), grid.point(14, 4.25), width, color);
    stroke_line(surface, grid.point(6.5, 2.25), grid.point(9.5, 2.25), width, color);
    stroke_line(surface, grid.point(6.5, 8), grid.point(6.5, 11.5), width, color);
    stroke_line(surface, grid.point(9.5, 8), grid.point(9.5, 11.5), width, color);
}

void draw_stroke(PixelSurface& surface, const IconGrid& grid, ColorRef color) {
    stroke_line(surface, grid.point(3, 8), grid.point(13, 8), grid.stroke_width(), color);
}

}  // namespace

void draw_icon(PixelSurface& surface, IconKind kind, PointF position, double size, ColorRef color) {
    if (!(size > 0)) return;
    const IconGrid grid(position, size);
    switch (kind) {
        case IconKind::pause: return draw_pause(surface, grid, color);
        case IconKind::play: return draw_play(surface, grid, color);
        case IconKind::window_preview: return draw_window_preview(surface, grid, color);
        case IconKind::exit: return draw_exit(surface, grid, color);
        case IconKind::waste_bin: return draw_waste_bin(surface, grid, color);
        case IconKind::stroke: return draw_stroke(surface, grid, color);
    }
}

}  // namespace core
