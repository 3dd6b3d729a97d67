#pragma once

#include "core/canvas/color.h"
#include "core/canvas/geometry.h"
#include "core/canvas/pixel_surface.h"

namespace core {

// Anti-aliased shapes, each pixel sampled once at its centre and blended towards the
// colour by its coverage. Every primitive touches only its bounding box widened by one
// pixel (by the blur distance for the shadow), clamped to the surface.

// The fixed colour of every shadow.
inline constexpr ColorRef kShadowColor = rgb(74, 44, 20);

// Signed distance from the point to the edge of the rounded rectangle: negative inside.
// The radius is limited to half the smaller side and is never negative.
double round_rect_distance(RectF rect, double radius, PointF point);

void fill_round_rect(PixelSurface& surface, RectF rect, double radius, ColorRef color);

// The stroke lies inside the rectangle's edge.
void stroke_round_rect(PixelSurface& surface, RectF rect, double radius, double width, ColorRef color);

// Full opacity from blur inside the edge, fading smoothly to nothing at blur outside it.
void drop_shadow(PixelSurface& surface, RectF rect, double radius, double blur, double opacity);

void fill_circle(PixelSurface& surface, PointF centre, double radius, ColorRef color);

// A line with round caps.
void stroke_line(PixelSurface& surface, PointF from, PointF to, double width, ColorRef color);

}  // namespace core
