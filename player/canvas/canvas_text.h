#pragma once

#include <windows.h>

#include <string_view>

#include "core/error/error.h"

namespace player {

// Text through GDI in UTF-8. Both select the font only for the call and put back what
// the DC held.

// The extent of one line of the text in the font (GetTextExtentPoint32W).
core::Result<SIZE> measure_text(HDC dc, HFONT font, std::string_view text);

// DrawTextW into the rectangle with the format flags, in the colour. GDI is flushed first:
// on a canvas, the pixels that the shapes wrote directly must be in the bitmap before GDI
// blends text over them. Empty text draws nothing.
core::Status draw_text(HDC dc, HFONT font, COLORREF color, std::string_view text, RECT rect, UINT format);

}  // namespace player
