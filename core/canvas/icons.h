#pragma once

#include "core/canvas/color.h"
#include "core/canvas/geometry.h"
#include "core/canvas/pixel_surface.h"

namespace core {

enum class IconKind {
    pause = 1,
    play = 2,
    window_preview = 3,
    exit = 4,
    waste_bin = 5,
    stroke = 6,
};

// The glyph drawn into the size x size box whose top-left corner is the position. A kind
// outside 1 to 6, or a size that is not positive, draws nothing.
void draw_icon(PixelSurface& surface, IconKind kind, PointF position, double size, ColorRef color);

}  // namespace core
