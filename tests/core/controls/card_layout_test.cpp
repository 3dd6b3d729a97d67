#include "core/controls/card_layout.h"

#include <gtest/gtest.h>

#include "tests/core/controls/print_rect.h"

namespace {

using core::CardLayout;
using core::PanelRect;

TEST(DeleteZone, IsThirtyTwoUnitsEndingAtTheItemsRightEdge) {
    EXPECT_EQ(core::delete_zone_width(96), 32);
    EXPECT_EQ(core::delete_zone_width(120), 40);
    EXPECT_EQ(core::delete_zone_width(144), 48);
    EXPECT_EQ(core::delete_zone_width(168), 56);
    EXPECT_EQ(core::delete_zone_width(192), 64);

    EXPECT_TRUE(core::in_delete_zone(368, 400, 96));
    EXPECT_TRUE(core::in_delete_zone(399, 400, 96));
    EXPECT_FALSE(core::in_delete_zone(367, 400, 96));
    EXPECT_FALSE(core::in_delete_zone(400, 400, 96));
    EXPECT_TRUE(core::in_delete_zone(352, 400, 144));
    EXPECT_FALSE(core::in_delete_zone(351, 400, 144));
}

TEST(CardLayout, TheNameRunsFromTheTileToTheDeleteZoneWithoutABadge) {
    const CardLayout card = core::card_layout(96, 428, 48, std::nullopt);
    EXPECT_EQ(card.tile, (PanelRect{8, 7, 42, 41}));
    EXPECT_EQ(card.delete_zone, (PanelRect{396, 0, 428, 48}));
    EXPECT_EQ(card.name, (PanelRect{54, 0, 388, 48}));
    EXPECT_EQ(card.badge, PanelRect{});
}

TEST(CardLayout, TheBadgeEndsEightUnitsBeforeTheDeleteZoneAndTheNameBeforeTheBadge) {
    CardLayout card = core::card_layout(96, 428, 48, 36);
    EXPECT_EQ(card.badge, (PanelRect{336, 14, 388, 34}));
    EXPECT_EQ(card.name, (PanelRect{54, 0, 328, 48}));

    card = core::card_layout(144, 642, 72, 54);
    EXPECT_EQ(card.tile, (PanelRect{12, 10, 63, 61}));
    EXPECT_EQ(card.delete_zone, (PanelRect{594, 0, 642, 72}));
    EXPECT_EQ(card.badge, (PanelRect{504, 21, 582, 51}));
    EXPECT_EQ(card.name, (PanelRect{81, 0, 492, 72}));
}

}  // namespace
