#include "core/controls/card_layout.h"

#include <cstdint>

#include "core/controls/panel_scale.h"

namespace core {
namespace {

// (dpi x 32 + 32) div 96: the zone keeps its own rounding term, unlike the other lengths.
constexpr int kDeleteZoneUnits = 32;
constexpr int kDeleteZoneRounding = 32;

constexpr int kTileLeftUnits = 8;
constexpr int kTileSizeUnits = 34;
constexpr int kNameLeftUnits = 54;
constexpr int kNameGapUnits = 8;
constexpr int kBadgeHeightUnits = 20;
constexpr int kBadgePaddingUnits = 16;  // both sides together
constexpr int kBadgeGapUnits = 8;

// The rectangle of the given height centred in [0, item_height).
PanelRect centred_vertically(int left, int right, int height, int item_height) {
    const int top = (item_height - height) / 2;
    return {left, top, right, top + height};
}

}  // namespace

int delete_zone_width(int dpi) {
    return static_cast<int>((static_cast<std::int64_t>(dpi) * kDeleteZoneUnits + kDeleteZoneRounding) / kPanelBaseDpi);
}

bool in_delete_zone(int x, int item_right, int dpi) {
    return x < item_right && x >= item_right - delete_zone_width(dpi);
}

CardLayout card_layout(int dpi, int item_width, int item_height, std::optional<int> badge_text_width) {
    const auto s = [dpi](int units) { return scale_length(dpi, units); };
    CardLayout layout;
    const int tile_left = s(kTileLeftUnits);
    layout.tile = centred_vertically(tile_left, tile_left + s(kTileSizeUnits), s(kTileSizeUnits), item_height);
    layout.delete_zone = {item_width - delete_zone_width(dpi), 0, item_width, item_height};

    int name_end = layout.delete_zone.left;
    if (badge_text_width) {
        const int badge_right = layout.delete_zone.left - s(kBadgeGapUnits);
        const int badge_left = badge_right - (*badge_text_width + s(kBadgePaddingUnits));
        layout.badge = centred_vertically(badge_left, badge_right, s(kBadgeHeightUnits), item_height);
        name_end = badge_left;
    }
    layout.name = {s(kNameLeftUnits), 0, name_end - s(kNameGapUnits), item_height};
    return layout;
}

}  // namespace core
