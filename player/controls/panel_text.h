#pragma once

#include <windows.h>

#include <string_view>

#include "player/canvas/canvas_text.h"

namespace player {

// One line, vertically centred, no prefix processing, an ellipsis when too long.
inline constexpr UINT kSingleLine = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;
// The detail text, wrapped: measured and drawn with the same flags, or the layout would
// reserve lines for a different wrapping (an edit control's also breaks long words).
inline constexpr UINT kDetailText = DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL | DT_END_ELLIPSIS;

// The width of one line of text; 0 when it cannot be measured, which only narrows a pill.
inline int text_width(HDC dc, HFONT font, std::string_view text) {
    const auto size = measure_text(dc, font, text);
    return size ? size->cx : 0;
}

}  // namespace player
