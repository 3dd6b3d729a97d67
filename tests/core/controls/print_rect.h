#pragma once

#include <ostream>

#include "core/controls/panel_rect.h"

namespace core {

// Readable test failures: left, top, right, bottom.
inline void PrintTo(const PanelRect& rect, std::ostream* out) {
    *out << "{" << rect.left << ", " << rect.top << ", " << rect.right << ", " << rect.bottom << "}";
}

}  // namespace core
