#pragma once

#include <windows.h>

#include "core/canvas/geometry.h"
#include "core/controls/panel_rect.h"

namespace player {

// A layout rectangle for the shape primitives and for GDI.
inline core::RectF to_rect_f(const core::PanelRect& rect) {
    return core::RectF{static_cast<double>(rect.left), static_cast<double>(rect.top), static_cast<double>(rect.right),
                       static_cast<double>(rect.bottom)};
}

inline RECT to_rect(const core::PanelRect& rect) { return RECT{rect.left, rect.top, rect.right, rect.bottom}; }

}  // namespace player
