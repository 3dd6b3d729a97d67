#include "core/controls/panel_layout.h"

#include <algorithm>
#include <cstdint>

#include "core/controls/panel_scale.h"

namespace core {
namespace {

// Lengths in units at 96 DPI.
constexpr int kClientWidthUnits = 480;
// The client width keeps its own rounding term; 480 units are a whole number of pixels
// (5 x dpi) at every DPI, so it never changes the result.
constexpr int kClientWidthRounding = 32;
constexpr int kMarginUnits = 20;
constexpr int kTitleLineUnits = 24;
constexpr int kTitleGapUnits = 10;
constexpr int kStatusLineUnits = 30;
constexpr int kStatusBlockUnits = 32;  // the status line and the gap before the detail
constexpr int kButtonRowGapUnits = 16;
constexpr int kButtonHeightUnits = 38;
constexpr int kHeaderButtonWidthUnits = 112;
constexpr int kButtonGapUnits = 8;
constexpr int kListHeadingGapUnits = 22;
constexpr int kListHeadingUnits = 24;
constexpr int kListCardGapUnits = 8;
constexpr int kCardHeightUnits = 48;
constexpr int kListInsetUnits = 6;
constexpr int kEmptyListCardUnits = 148;
constexpr int kBottomRowGapUnits = 18;
constexpr int kAutostartWidthUnits = 300;
constexpr int kExitWidthUnits = 116;

constexpr int kMinDetailLines = 2;
constexpr int kMaxDetailLines = 5;
constexpr int kSmallestLineHeight = 2;

PanelRect widened(PanelRect rect, int by) { return {rect.left - by, rect.top - by, rect.right + by, rect.bottom + by}; }

PanelRect inset(PanelRect rect, int by) { return widened(rect, -by); }

int list_card_height(int dpi, std::size_t wallpaper_count) {
    if (wallpaper_count == 0) return scale_length(dpi, kEmptyListCardUnits);
    const int rows = static_cast<int>(std::min(wallpaper_count, kVisibleCards));
    return rows * scale_length(dpi, kCardHeightUnits) + 2 * scale_length(dpi, kListInsetUnits);
}

}  // namespace

int panel_client_width(int dpi) {
    return static_cast<int>((static_cast<std::int64_t>(dpi) * kClientWidthUnits + kClientWidthRounding) /
                            kPanelBaseDpi);
}

int detail_text_width(int dpi) { return panel_client_width(dpi) - 4 * scale_length(dpi, kMarginUnits); }

int clamp_detail_height(int line_height, int measured_height) {
    const int line = line_height < kSmallestLineHeight ? 1 : line_height;
    return std::clamp(measured_height, kMinDetailLines * line, kMaxDetailLines * line);
}

PanelLayout panel_layout(int dpi, int line_height, int measured_detail_height, std::size_t wallpaper_count) {
    const auto s = [dpi](int units) { return scale_length(dpi, units); };
    PanelLayout layout;
    const int w = panel_client_width(dpi);
    const int m = s(kMarginUnits);
    const int ring = s(kFocusRingUnits);
    layout.client_width = w;
    layout.detail_height = clamp_detail_height(line_height, measured_detail_height);

    // Header card: title, status area (status line and detail), button row.
    const int text_left = 2 * m;
    const int text_right = w - 2 * m;
    layout.title_line = {text_left, 2 * m, text_right, 2 * m + s(kTitleLineUnits)};
    const int status_top = layout.title_line.bottom + s(kTitleGapUnits);
    const int status_bottom = status_top + s(kStatusBlockUnits) + layout.detail_height;
    layout.status_area = {text_left, status_top, text_right, status_bottom};
    layout.status_line = {text_left, status_top, text_right, status_top + s(kStatusLineUnits)};
    layout.detail_text = {text_left, status_bottom - layout.detail_height, text_right, status_bottom};

    const int button_top = status_bottom + s(kButtonRowGapUnits);
    const int button_bottom = button_top + s(kButtonHeightUnits);
    const PanelRect preview = {text_right - s(kHeaderButtonWidthUnits), button_top, text_right, button_bottom};
    const int pause_right = preview.left - s(kButtonGapUnits);
    const PanelRect pause = {pause_right - s(kHeaderButtonWidthUnits), button_top, pause_right, button_bottom};
    const PanelRect desktop = {text_left, button_top, pause.left - s(kButtonGapUnits), button_bottom};
    layout.preview_button = widened(preview, ring);
    layout.pause_button = widened(pause, ring);
    layout.desktop_button = widened(desktop, ring);
    const int header_bottom = button_bottom + m;
    layout.header_card = {m, m, w - m, header_bottom};

    // The list: heading, then the card with the list box inside.
    const int heading_top = header_bottom + s(kListHeadingGapUnits);
    layout.list_heading = {m, heading_top, w - m, heading_top + s(kListHeadingUnits)};
    const int list_top = layout.list_heading.bottom + s(kListCardGapUnits);
    layout.list_card = {m, list_top, w - m, list_top + list_card_height(dpi, wallpaper_count)};
    layout.list_box = inset(layout.list_card, s(kListInsetUnits));

    // Bottom row: the autostart switch on the left, the exit button on the right.
    const int row_top = layout.list_card.bottom + s(kBottomRowGapUnits);
    const int row_bottom = row_top + s(kButtonHeightUnits);
    layout.autostart_check = widened({m, row_top, m + s(kAutostartWidthUnits), row_bottom}, ring);
    layout.exit_button = widened({w - m - s(kExitWidthUnits), row_top, w - m, row_bottom}, ring);
    layout.client_height = row_bottom + m;
    return layout;
}

}  // namespace core
