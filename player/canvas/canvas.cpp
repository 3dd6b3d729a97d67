#include "player/canvas/canvas.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>

namespace player {

namespace {

// GDI keeps a bitmap's byte size in 32 bits; a larger canvas could be granted fewer bytes
// than the pixels the surface would then write.
constexpr long long kMaxCanvasPixels = INT_MAX / 4;

}  // namespace

Canvas::Canvas(win32::unique_memory_dc dc, win32::unique_bitmap bitmap, win32::unique_selection selection,
               core::PixelSurface surface)
    : dc_(std::move(dc)), bitmap_(std::move(bitmap)), selection_(std::move(selection)), surface_(surface) {}

Canvas::Canvas(Canvas&& other) noexcept
    : dc_(std::move(other.dc_)),
      bitmap_(std::move(other.bitmap_)),
      selection_(std::move(other.selection_)),
      surface_(std::exchange(other.surface_, {})) {}

core::Result<Canvas> create_canvas(HDC target, int width, int height) {
    if (width < 1 || height < 1) return core::fail("canvas size is empty");
    if (static_cast<long long>(width) * height > kMaxCanvasPixels) return core::fail("canvas size is too large");

    win32::unique_memory_dc dc(::CreateCompatibleDC(target));
    if (!dc) return core::fail("CreateCompatibleDC failed");
    if (::SetBkMode(dc.get(), TRANSPARENT) == 0) return core::fail("SetBkMode failed");

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // negative: top-down, first row at the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    win32::unique_bitmap bitmap(::CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || bits == nullptr) return core::fail("CreateDIBSection failed");

    win32::unique_selection selection(dc.get(), bitmap.get());
    if (!selection) return core::fail("SelectObject failed");

    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    const core::PixelSurface surface(std::span(static_cast<std::uint32_t*>(bits), count), width, height);
    return Canvas(std::move(dc), std::move(bitmap), std::move(selection), surface);
}

core::Status present_canvas(Canvas&& canvas, HDC target, int x, int y) {
    const Canvas owned = std::move(canvas);
    if (!::BitBlt(target, x, y, owned.width(), owned.height(), owned.dc(), 0, 0, SRCCOPY)) {
        return core::fail("BitBlt failed");
    }
    return {};
}

}  // namespace player
