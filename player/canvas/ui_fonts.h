#pragma once

#include <windows.h>

#include <array>

#include "core/canvas/ui_font_table.h"
#include "core/error/error.h"
#include "player/win32/gdi.h"

namespace player {

// The seven fonts of the control window for one DPI, numbered 1 to 7. To change the DPI,
// create the new set, give it to the controls, and only then drop the old one.
class UiFonts {
public:
    // Null for a number outside 1 to 7.
    HFONT font(int number) const;
    UINT dpi() const { return dpi_; }

private:
    friend core::Result<UiFonts> create_ui_fonts(UINT dpi);
    std::array<win32::unique_font, core::kUiFontCount> fonts_;
    UINT dpi_ = core::kUiFontBaseDpi;
};

// "Microsoft YaHei UI" at the sizes and weights of the design, scaled to the DPI (below 96
// counts as 96), ClearType quality.
core::Result<UiFonts> create_ui_fonts(UINT dpi);

}  // namespace player
