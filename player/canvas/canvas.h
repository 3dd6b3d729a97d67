#pragma once

#include <windows.h>

#include "core/canvas/pixel_surface.h"
#include "core/error/error.h"
#include "player/win32/gdi.h"

namespace player {

// One paint's off-screen bitmap: a 32-bit top-down DIB section selected into a memory DC
// compatible with the target, with transparent text background. Shapes draw through
// surface(), text through dc() (draw_text flushes GDI first).
class Canvas {
public:
    Canvas(Canvas&& other) noexcept;
    // Assigning would delete the old DC before its bitmap is deselected.
    Canvas& operator=(Canvas&&) = delete;
    ~Canvas() = default;

    HDC dc() const { return dc_.get(); }
    // GDI may still hold text drawn through dc() in its batch; it must reach the bitmap
    // before shapes blend over it, so handing out the pixels flushes GDI first.
    core::PixelSurface& surface() {
        ::GdiFlush();
        return surface_;
    }
    int width() const { return surface_.width(); }
    int height() const { return surface_.height(); }

private:
    friend core::Result<Canvas> create_canvas(HDC target, int width, int height);
    Canvas(win32::unique_memory_dc dc, win32::unique_bitmap bitmap, win32::unique_selection selection,
           core::PixelSurface surface);

    // Destroyed in reverse: the old bitmap goes back into the DC, then the DIB and the DC
    // are deleted.
    win32::unique_memory_dc dc_;
    win32::unique_bitmap bitmap_;
    win32::unique_selection selection_;
    core::PixelSurface surface_;
};

// A canvas of width x height device pixels for painting onto the target. Fails when either
// side is below 1 or a GDI step fails; whatever was created is released.
core::Result<Canvas> create_canvas(HDC target, int width, int height);

// Copies the whole canvas to the target with its top-left corner at (x, y), then releases
// the canvas.
core::Status present_canvas(Canvas&& canvas, HDC target, int x, int y);

}  // namespace player
