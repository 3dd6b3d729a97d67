#include "core/canvas/pixel_surface.h"

#include <algorithm>

namespace core {

PixelSurface::PixelSurface(std::span<std::uint32_t> pixels, int width, int height) {
    if (width <= 0 || height <= 0) return;
    if (static_cast<std::size_t>(width) > pixels.size() / static_cast<std::size_t>(height)) return;
    pixels_ = pixels.data();
    width_ = width;
    height_ = height;
}

void clear_surface(PixelSurface& surface, ColorRef color) {
    const std::uint32_t word = pixel_from_color(color);
    for (int y = 0; y < surface.height(); ++y) std::fill_n(surface.row(y), surface.width(), word);
}

}  // namespace core
