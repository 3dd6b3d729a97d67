#include <windows.h>

#include <string>

#include "core/canvas/shapes.h"
#include "core/controls/status_tone.h"
#include "player/canvas/canvas.h"
#include "player/canvas/panel_palette.h"
#include "player/controls/panel_geometry.h"
#include "player/controls/panel_internal.h"
#include "player/controls/panel_text.h"

namespace player {
namespace {

constexpr int kTitleFont = core::kUiFontTitle;
constexpr int kHeadingFont = core::kUiFontHeading;
constexpr int kStatusFont = core::kUiFontBodyStrong;
constexpr int kDetailFont = core::kUiFontDetail;
constexpr int kHintFont = core::kUiFontSmall;
constexpr int kCountFont = core::kUiFontSmallStrong;

// A card floating on the window: a wide soft shadow, a tight one just below, the face and
// a hairline border.
void draw_card(const PanelState& state, core::PixelSurface& surface, const core::PanelRect& card) {
    const double unit = state.dpi / 96.0;
    const double radius = state.scaled(16);
    core::RectF wide = to_rect_f(card);
    wide.top += 6 * unit;
    wide.bottom += 6 * unit;
    core::drop_shadow(surface, wide, radius, 14 * unit, 0.22);
    core::RectF tight = to_rect_f(card);
    tight.top += unit;
    tight.bottom += unit;
    core::drop_shadow(surface, tight, radius, 1.5 * unit, 0.06);
    core::fill_round_rect(surface, to_rect_f(card), radius, palette::kCard);
    core::stroke_round_rect(surface, to_rect_f(card), radius, std::max(1.0, unit), palette::kCardBorder);
}

void draw_status_pill(const PanelState& state, Canvas& canvas) {
    const core::ToneColours tone = core::status_tone_colours(state.content.tone);
    const core::PanelRect& area = state.layout.status_line;
    const int height = area.height();
    const int dot = state.scaled(7);
    const int padding = state.scaled(12);
    const int label_width = text_width(canvas.dc(), state.fonts.font(kStatusFont), state.content.status);
    const int width = std::min<int>(area.right - area.left, padding + dot + state.scaled(8) + label_width + padding);
    const core::RectF pill{static_cast<double>(area.left), static_cast<double>(area.top),
                           static_cast<double>(area.left + width), static_cast<double>(area.top + height)};
    core::fill_round_rect(canvas.surface(), pill, height / 2.0, tone.fill);
    core::fill_circle(canvas.surface(), core::PointF{area.left + padding + dot / 2.0, area.top + height / 2.0},
                      dot / 2.0, tone.accent);
    const RECT label{area.left + padding + dot + state.scaled(8), area.top, area.left + width - padding / 2,
                     area.top + height};
    draw_text(canvas.dc(), state.fonts.font(kStatusFont), tone.text, state.content.status, label, kSingleLine);
}

void draw_header(const PanelState& state, Canvas& canvas) {
    const core::PanelLayout& layout = state.layout;
    draw_card(state, canvas.surface(), layout.header_card);
    draw_text(canvas.dc(), state.fonts.font(kTitleFont), palette::kInk, state.content.title, to_rect(layout.title_line), kSingleLine);
    draw_status_pill(state, canvas);
    draw_text(canvas.dc(), state.fonts.font(kDetailFont), palette::kMutedInk, state.content.detail, to_rect(layout.detail_text), kDetailText);
}

void draw_list_heading(const PanelState& state, Canvas& canvas) {
    const core::PanelRect& line = state.layout.list_heading;
    const HFONT heading = state.fonts.font(kHeadingFont);
    const std::string title = "我的壁纸";
    const int title_width = text_width(canvas.dc(), heading, title);
    draw_text(canvas.dc(), heading, palette::kInk, title, to_rect(line), kSingleLine);

    const std::string count = std::to_string(state.wallpapers.size());
    const int count_width = text_width(canvas.dc(), state.fonts.font(kCountFont), count);
    const int pill_height = state.scaled(20);
    const int pill_left = line.left + title_width + state.scaled(8);
    const int pill_top = line.top + (line.bottom - line.top - pill_height) / 2;
    const core::RectF pill{static_cast<double>(pill_left), static_cast<double>(pill_top),
                           static_cast<double>(pill_left + count_width + state.scaled(16)),
                           static_cast<double>(pill_top + pill_height)};
    core::fill_round_rect(canvas.surface(), pill, pill_height / 2.0, palette::kCountPill);
    draw_text(canvas.dc(), state.fonts.font(kCountFont), palette::kMutedInk, count, RECT{static_cast<LONG>(pill.left), static_cast<LONG>(pill.top), static_cast<LONG>(pill.right),
                          static_cast<LONG>(pill.bottom)}, kSingleLine | DT_CENTER);
    draw_text(canvas.dc(), state.fonts.font(kHintFont), palette::kFaintInk, "点击即可切换", to_rect(line), kSingleLine | DT_RIGHT);
}

void draw_empty_state(const PanelState& state, Canvas& canvas) {
    const core::PanelRect& card = state.layout.list_card;
    const int middle = (card.top + card.bottom) / 2;
    draw_text(canvas.dc(), state.fonts.font(kHeadingFont), palette::kInk, "还没有壁纸", RECT{card.left, middle - state.scaled(28), card.right, middle}, kSingleLine | DT_CENTER);
    draw_text(canvas.dc(), state.fonts.font(kDetailFont), palette::kMutedInk, "运行壁纸安装包后，作品会出现在这里。", RECT{card.left, middle + state.scaled(4), card.right, middle + state.scaled(28)}, kSingleLine | DT_CENTER);
}

}  // namespace

void paint_panel(PanelState& state, HDC target, const RECT& client) {
    auto canvas = create_canvas(target, client.right - client.left, client.bottom - client.top);
    if (!canvas) {
        // Background erasing is turned off, so without this the area would keep whatever
        // was on the screen before.
        ::FillRect(target, &client, state.static_brush.get());
        return;
    }
    core::PixelSurface& surface = canvas->surface();
    core::fill_round_rect(surface,
                          core::RectF{0, 0, static_cast<double>(surface.width()), static_cast<double>(surface.height())},
                          0, palette::kWindow);
    draw_header(state, *canvas);
    draw_list_heading(state, *canvas);
    draw_card(state, canvas->surface(), state.layout.list_card);
    if (state.wallpapers.empty()) draw_empty_state(state, *canvas);
    present_canvas(std::move(*canvas), target, client.left, client.top);
}

}  // namespace player
