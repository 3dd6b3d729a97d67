#include "core/controls/panel_layout.h"

#include <gtest/gtest.h>

#include "core/controls/panel_scale.h"
#include "tests/core/controls/print_rect.h"

namespace {

using core::PanelLayout;
using core::PanelRect;

TEST(PanelScale, LengthsRoundHalfUpAndTheWidthIsFiveTimesTheDpi) {
    EXPECT_EQ(core::scale_length(96, 20), 20);
    EXPECT_EQ(core::scale_length(144, 3), 5);
    EXPECT_EQ(core::scale_length(144, 20), 30);
    EXPECT_EQ(core::scale_length(144, 7), 11);
    EXPECT_EQ(core::scale_length(144, 1), 2);
    EXPECT_EQ(core::scale_length(120, 32), 40);
    EXPECT_EQ(core::scale_length(120, 30), 38);
    EXPECT_EQ(core::panel_client_width(96), 480);
    EXPECT_EQ(core::panel_client_width(120), 600);
    EXPECT_EQ(core::panel_client_width(144), 720);
    EXPECT_EQ(core::detail_text_width(96), 400);
    EXPECT_EQ(core::detail_text_width(144), 600);
    EXPECT_EQ(core::panel_dpi(0), 96);
    EXPECT_EQ(core::panel_dpi(72), 96);
    EXPECT_EQ(core::panel_dpi(192), 192);
}

TEST(PanelDetailHeight, KeepsBetweenTwoAndFiveLines) {
    EXPECT_EQ(core::clamp_detail_height(17, 17), 34);
    EXPECT_EQ(core::clamp_detail_height(17, 51), 51);
    EXPECT_EQ(core::clamp_detail_height(17, 85), 85);
    EXPECT_EQ(core::clamp_detail_height(17, 119), 85);
    EXPECT_EQ(core::clamp_detail_height(17, -5), 34);
    // A line height below 2 counts as one pixel.
    EXPECT_EQ(core::clamp_detail_height(2, 0), 4);
    EXPECT_EQ(core::clamp_detail_height(1, 0), 2);
    EXPECT_EQ(core::clamp_detail_height(0, 0), 2);
    EXPECT_EQ(core::clamp_detail_height(-4, 100), 5);
    EXPECT_EQ(core::clamp_detail_height(0, 3), 3);
}

TEST(PanelLayout, At96DpiEveryLengthIsItsUnits) {
    const PanelLayout layout = core::panel_layout(96, 17, 34, 3);
    EXPECT_EQ(layout.client_width, 480);
    EXPECT_EQ(layout.detail_height, 34);
    EXPECT_EQ(layout.title_line, (PanelRect{40, 40, 440, 64}));
    EXPECT_EQ(layout.status_area, (PanelRect{40, 74, 440, 140}));
    EXPECT_EQ(layout.status_line, (PanelRect{40, 74, 440, 104}));
    EXPECT_EQ(layout.detail_text, (PanelRect{40, 106, 440, 140}));
    EXPECT_EQ(layout.detail_text.width(), core::detail_text_width(96));
    EXPECT_EQ(layout.desktop_button, (PanelRect{37, 153, 203, 197}));
    EXPECT_EQ(layout.pause_button, (PanelRect{205, 153, 323, 197}));
    EXPECT_EQ(layout.preview_button, (PanelRect{325, 153, 443, 197}));
    EXPECT_EQ(layout.header_card, (PanelRect{20, 20, 460, 214}));
    EXPECT_EQ(layout.list_heading, (PanelRect{20, 236, 460, 260}));
    EXPECT_EQ(layout.list_card, (PanelRect{20, 268, 460, 424}));
    EXPECT_EQ(layout.list_card.height(), 3 * 48 + 2 * 6);
    EXPECT_EQ(layout.list_box, (PanelRect{26, 274, 454, 418}));
    EXPECT_EQ(layout.autostart_check, (PanelRect{17, 439, 323, 483}));
    EXPECT_EQ(layout.exit_button, (PanelRect{341, 439, 463, 483}));
    EXPECT_EQ(layout.client_height, 500);
}

TEST(PanelLayout, At144DpiLengthsAreOneAndAHalfTimesRoundedHalfUp) {
    const PanelLayout layout = core::panel_layout(144, 25, 175, 9);
    EXPECT_EQ(layout.client_width, 720);
    EXPECT_EQ(layout.detail_height, 125);
    EXPECT_EQ(layout.title_line, (PanelRect{60, 60, 660, 96}));
    EXPECT_EQ(layout.status_line, (PanelRect{60, 111, 660, 156}));
    EXPECT_EQ(layout.detail_text, (PanelRect{60, 159, 660, 284}));
    EXPECT_EQ(layout.status_area, (PanelRect{60, 111, 660, 284}));
    // The ring margin S(3) is 5 pixels here.
    EXPECT_EQ(layout.desktop_button, (PanelRect{55, 303, 305, 370}));
    EXPECT_EQ(layout.pause_button, (PanelRect{307, 303, 485, 370}));
    EXPECT_EQ(layout.preview_button, (PanelRect{487, 303, 665, 370}));
    EXPECT_EQ(layout.header_card, (PanelRect{30, 30, 690, 395}));
    EXPECT_EQ(layout.list_heading, (PanelRect{30, 428, 690, 464}));
    EXPECT_EQ(layout.list_card, (PanelRect{30, 476, 690, 854}));
    EXPECT_EQ(layout.list_box, (PanelRect{39, 485, 681, 845}));
    EXPECT_EQ(layout.autostart_check, (PanelRect{25, 876, 485, 943}));
    EXPECT_EQ(layout.exit_button, (PanelRect{511, 876, 695, 943}));
    EXPECT_EQ(layout.client_height, 968);
}

TEST(PanelLayout, HeaderButtonsShareTheRowFromTheRightWithEightUnitGaps) {
    for (const int dpi : {96, 120, 144, 168, 192}) {
        const auto s = [dpi](int units) { return core::scale_length(dpi, units); };
        const PanelLayout layout = core::panel_layout(dpi, 20, 40, 1);
        const int w = layout.client_width;
        const int m = s(20);
        const int ring = s(3);
        EXPECT_EQ(layout.preview_button.right - ring, w - 2 * m) << dpi;
        EXPECT_EQ(layout.preview_button.width() - 2 * ring, s(112)) << dpi;
        EXPECT_EQ(layout.preview_button.left + ring - s(8), layout.pause_button.right - ring) << dpi;
        EXPECT_EQ(layout.pause_button.width() - 2 * ring, s(112)) << dpi;
        EXPECT_EQ(layout.desktop_button.left + ring, 2 * m) << dpi;
        EXPECT_EQ(layout.pause_button.left + ring - s(8), layout.desktop_button.right - ring) << dpi;
        for (const PanelRect& button : {layout.desktop_button, layout.pause_button, layout.preview_button}) {
            EXPECT_EQ(button.height() - 2 * ring, s(38)) << dpi;
            EXPECT_EQ(button.top + ring, layout.status_area.bottom + s(16)) << dpi;
        }
        EXPECT_EQ(layout.header_card.bottom, layout.preview_button.bottom - ring + m) << dpi;
    }
}

TEST(PanelLayout, TheListCardHoldsOneToFiveRowsOrTheEmptyState) {
    const auto card_height = [](int dpi, std::size_t count) {
        return core::panel_layout(dpi, 17, 34, count).list_card.height();
    };
    EXPECT_EQ(card_height(96, 0), 148);
    EXPECT_EQ(card_height(96, 1), 60);
    EXPECT_EQ(card_height(96, 3), 156);
    EXPECT_EQ(card_height(96, 5), 252);
    EXPECT_EQ(card_height(96, 9), 252);
    EXPECT_EQ(card_height(144, 0), 222);
    EXPECT_EQ(card_height(144, 3), 3 * 72 + 2 * 9);
    EXPECT_EQ(card_height(144, 9), 5 * 72 + 2 * 9);

    const PanelLayout empty = core::panel_layout(96, 17, 34, 0);
    EXPECT_EQ(empty.list_card, (PanelRect{20, 268, 460, 416}));
    EXPECT_EQ(empty.list_box, (PanelRect{26, 274, 454, 410}));
    EXPECT_EQ(empty.client_height, 492);
}

TEST(PanelLayout, TheDetailHeightMovesEverythingBelowIt) {
    const PanelLayout one_line = core::panel_layout(96, 17, 17, 3);
    const PanelLayout seven_lines = core::panel_layout(96, 17, 119, 3);
    EXPECT_EQ(one_line.detail_height, 34);
    EXPECT_EQ(seven_lines.detail_height, 85);
    EXPECT_EQ(seven_lines.detail_text.height(), 85);
    EXPECT_EQ(seven_lines.client_height - one_line.client_height, 85 - 34);
    EXPECT_EQ(seven_lines.list_card.top - one_line.list_card.top, 85 - 34);
    EXPECT_EQ(seven_lines.title_line, one_line.title_line);
}

}  // namespace
