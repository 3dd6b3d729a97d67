#include "player/canvas/canvas_text.h"

#include <climits>
#include <string>

#include "player/win32/gdi.h"
#include "player/win32/wide.h"

namespace player {

namespace {

core::Result<std::wstring> wide_text(std::string_view text) {
    auto wide = win32::to_wide(text);
    if (!wide) return core::fail("text is not valid UTF-8", wide.error());
    if (wide->size() > static_cast<std::size_t>(INT_MAX)) return core::fail("text is too long to draw");
    return wide;
}

}  // namespace

core::Result<SIZE> measure_text(HDC dc, HFONT font, std::string_view text) {
    const auto wide = wide_text(text);
    if (!wide) return std::unexpected(wide.error());
    const win32::unique_selection selection(dc, font);
    if (!selection) return core::fail("SelectObject failed for the font");
    SIZE extent{};
    if (!::GetTextExtentPoint32W(dc, wide->c_str(), static_cast<int>(wide->size()), &extent)) {
        return core::fail("GetTextExtentPoint32W failed");
    }
    return extent;
}

core::Status draw_text(HDC dc, HFONT font, COLORREF color, std::string_view text, RECT rect, UINT format) {
    const auto wide = wide_text(text);
    if (!wide) return std::unexpected(wide.error());
    if (wide->empty()) return {};
    ::GdiFlush();
    const win32::unique_selection selection(dc, font);
    if (!selection) return core::fail("SelectObject failed for the font");
    if (::SetTextColor(dc, color) == CLR_INVALID) return core::fail("SetTextColor failed");
    if (::DrawTextW(dc, wide->c_str(), static_cast<int>(wide->size()), &rect, format) == 0) {
        return core::fail("DrawTextW failed");
    }
    return {};
}

}  // namespace player
