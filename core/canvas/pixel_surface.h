#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "core/canvas/color.h"

namespace core {

// A view of a caller-owned pixel array: row-major, width words per row, no padding, each
// word 0x00RRGGBB. The array always holds at least width x height words.
class PixelSurface {
public:
    PixelSurface() = default;
    // Dimensions that are negative or that the array cannot hold give an empty surface,
    // so no drawing through it can ever reach past the array.
    PixelSurface(std::span<std::uint32_t> pixels, int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    bool empty() const { return width_ == 0 || height_ == 0; }

    // Callers keep x in [0, width) and y in [0, height).
    std::uint32_t* row(int y) { return pixels_ + static_cast<std::ptrdiff_t>(y) * width_; }
    const std::uint32_t* row(int y) const { return pixels_ + static_cast<std::ptrdiff_t>(y) * width_; }
    std::uint32_t pixel(int x, int y) const { return row(y)[x]; }

private:
    std::uint32_t* pixels_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

// Sets every pixel to the colour.
void clear_surface(PixelSurface& surface, ColorRef color);

}  // namespace core
