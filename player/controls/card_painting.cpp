#include <windows.h>

#include "core/canvas/icons.h"
#include "core/canvas/shapes.h"
#include "core/controls/card_layout.h"
#include "core/controls/card_style.h"
#include "player/canvas/canvas.h"
#include "player/canvas/panel_palette.h"
#include "player/controls/panel_geometry.h"
#include "player/controls/panel_internal.h"
#include "player/controls/panel_text.h"

namespace player {
namespace {

constexpr int kNameFont = core::kUiFontBody;
constexpr int kNameInUseFont = core::kUiFontBodyStrong;
constexpr int kInitialFont = core::kUiFontBodyStrong;
constexpr int kBadgeFont = core::kUiFontSmallStrong;

constexpr core::ColorRef kSelectedCard = core::rgb(0xF9, 0xEC, 0xD9);
constexpr core::ColorRef kSelectedHoveredCard = core::rgb(0xF6, 0xE3, 0xC8);
constexpr core::ColorRef kHoveredCard = core::rgb(0xF7, 0xF0, 0xE6);
constexpr core::ColorRef kBinIdle = core::rgb(0xC9, 0xB4, 0x9C);
constexpr core::ColorRef kBinActive = core::rgb(0x8A, 0x75, 0x63);
constexpr core::ColorRef kBinDanger = core::rgb(0xD9, 0x60, 0x4A);
constexpr core::ColorRef kBinDisc = core::rgb(0xFB, 0xE3, 0xDD);
constexpr core::ColorRef kBadgeInk = core::rgb(0xA6, 0x58, 0x1D);
constexpr core::ColorRef kBadgeFill = core::rgb(0xFF, 0xFA, 0xF3);
constexpr core::ColorRef kBadgeBorder = core::rgb(0xEF, 0xD2, 0xA8);

struct CardLook {
    bool selected = false;
    bool hovered = false;
    bool over_delete = false;
    bool in_use = false;
    bool focused = false;
};

void draw_card(const PanelState& state, Canvas& canvas, const PanelEntry& entry, const CardLook& look) {
    core::PixelSurface& surface = canvas.surface();
    const double width = surface.width();
    const double height = surface.height();
    const int dpi = static_cast<int>(state.dpi);
    core::fill_round_rect(surface, core::RectF{0, 0, width, height}, 0, core::kCardItemBackground);

    const std::optional<int> badge_text =
        look.in_use ? std::optional<int>(text_width(canvas.dc(), state.fonts.font(kBadgeFont), "使用中"))
                    : std::nullopt;
    const core::CardLayout parts = core::card_layout(dpi, surface.width(), surface.height(), badge_text);

    // The card's own background, inset a little so neighbouring cards stay apart.
    const double inset = state.scaled(2);
    const core::RectF card{inset, inset, width - inset, height - inset};
    if (look.selected || look.hovered) {
        const core::ColorRef fill =
            look.selected ? (look.hovered ? kSelectedHoveredCard : kSelectedCard) : kHoveredCard;
        core::fill_round_rect(surface, card, state.scaled(12), fill);
    }

    const core::TileColours tile = core::tile_colours(entry.id);
    core::fill_round_rect(surface, to_rect_f(parts.tile), state.scaled(10), tile.fill);

    const core::RectF zone = to_rect_f(parts.delete_zone);
    const core::PointF zone_centre{(zone.left + zone.right) / 2, (zone.top + zone.bottom) / 2};
    const double icon = state.scaled(16);
    core::ColorRef bin = (look.hovered || look.selected) ? kBinActive : kBinIdle;
    if (look.over_delete) {
        core::fill_circle(surface, zone_centre, state.scaled(15), kBinDisc);
        bin = kBinDanger;
    }
    core::draw_icon(surface, core::IconKind::waste_bin, core::PointF{zone_centre.x - icon / 2, zone_centre.y - icon / 2},
                    icon, bin);

    if (look.in_use) {
        const core::RectF badge = to_rect_f(parts.badge);
        const double round = (badge.bottom - badge.top) / 2;
        core::fill_round_rect(surface, badge, round, kBadgeFill);
        core::stroke_round_rect(surface, badge, round, std::max(1.0, dpi / 96.0), kBadgeBorder);
    }
    if (look.focused) core::stroke_round_rect(surface, card, state.scaled(12), 2.0 * dpi / 96.0, palette::kFocus);

    // Text last: GDI draws onto the finished shapes.
    if (look.in_use) {
        draw_text(canvas.dc(), state.fonts.font(kBadgeFont), kBadgeInk, "使用中", to_rect(parts.badge), kSingleLine | DT_CENTER);
    }
    draw_text(canvas.dc(), state.fonts.font(kInitialFont), tile.text, core::tile_initial(entry.name), to_rect(parts.tile), kSingleLine | DT_CENTER);
    draw_text(canvas.dc(), state.fonts.font(look.in_use ? kNameInUseFont : kNameFont), palette::kInk, entry.name, to_rect(parts.name), kSingleLine);
}

}  // namespace

void draw_wallpaper_card(PanelState& state, const DRAWITEMSTRUCT& item) {
    const int width = item.rcItem.right - item.rcItem.left;
    const int height = item.rcItem.bottom - item.rcItem.top;
    auto canvas = create_canvas(item.hDC, width, height);
    if (!canvas) {
        ::FillRect(item.hDC, &item.rcItem, state.list_brush.get());
        return;
    }
    if (item.itemID == static_cast<UINT>(-1) || item.itemID >= state.wallpapers.size()) {
        core::fill_round_rect(canvas->surface(),
                              core::RectF{0, 0, static_cast<double>(width), static_cast<double>(height)}, 0,
                              palette::kCard);  // the empty list's focus item
    } else {
        const PanelEntry& entry = state.wallpapers[item.itemID];
        const bool hovered = state.hover_item == static_cast<int>(item.itemID);
        const CardLook look{
            .selected = (item.itemState & ODS_SELECTED) != 0,
            .hovered = hovered,
            .over_delete = hovered && state.hover_delete_zone,
            .in_use = state.id_in_use == entry.id,
            .focused = (item.itemState & ODS_FOCUS) != 0 && (item.itemState & ODS_NOFOCUSRECT) == 0,
        };
        draw_card(state, *canvas, entry, look);
    }
    present_canvas(std::move(*canvas), item.hDC, item.rcItem.left, item.rcItem.top);
}

}  // namespace player
