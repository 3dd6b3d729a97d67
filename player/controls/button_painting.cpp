#include <windows.h>

#include <commctrl.h>

#include <string>

#include "core/canvas/icons.h"
#include "core/canvas/shapes.h"
#include "player/canvas/canvas.h"
#include "player/canvas/panel_palette.h"
#include "player/controls/panel_ids.h"
#include "player/controls/panel_internal.h"
#include "player/controls/panel_text.h"
#include "player/win32/wide.h"

namespace player {
namespace {

constexpr int kLabelFont = core::kUiFontBody;

constexpr core::ColorRef kTrackOn = core::rgb(0xE3, 0xA2, 0x56);
constexpr core::ColorRef kTrackOnHot = core::rgb(0xD9, 0x96, 0x44);
constexpr core::ColorRef kTrackOff = core::rgb(0xDC, 0xC8, 0xAC);
constexpr core::ColorRef kTrackOffHot = core::rgb(0xCF, 0xB9, 0x9B);

struct ButtonLook {
    bool pressed = false;
    bool hot = false;
    bool disabled = false;
    bool focus = false;
};

// Moves each channel 55% of the way towards the window background: a disabled switch.
core::ColorRef faded(core::ColorRef colour) {
    const auto channel = [](core::ColorRef c, int shift) { return static_cast<int>((c >> shift) & 0xFF); };
    const auto towards = [&](int shift) {
        const int from = channel(colour, shift);
        const int to = channel(palette::kWindow, shift);
        return static_cast<int>(from + (to - from) * 0.55 + 0.5);
    };
    return core::rgb(towards(0), towards(8), towards(16));
}

std::string window_text(HWND control) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return win32::to_utf8(text).value_or(std::string());
}

void draw_focus_ring(const PanelState& state, core::PixelSurface& surface, const core::RectF& face, double radius) {
    const double ring = state.scaled(3);
    core::stroke_round_rect(surface, core::RectF{face.left - ring, face.top - ring, face.right + ring, face.bottom + ring},
                            radius + ring, 2.0 * state.dpi / 96.0, palette::kFocus);
}

void draw_push_button(const PanelState& state, Canvas& canvas, int id, const ButtonLook& look, std::string_view label) {
    core::PixelSurface& surface = canvas.surface();
    const double ring = state.scaled(3);
    const core::RectF face{ring, ring, surface.width() - ring, surface.height() - ring};
    const double radius = state.scaled(10);
    const bool primary = id == kSetDesktopButton;
    core::ColorRef fill = palette::kFace;
    core::ColorRef ink = palette::kInk;
    if (primary) {
        fill = look.pressed ? palette::kAccentPressed : look.hot ? palette::kAccentHot : palette::kAccent;
        ink = palette::kWhite;
        if (look.disabled) fill = faded(palette::kAccent);
    } else {
        fill = look.pressed ? palette::kFacePressed : look.hot ? palette::kFaceHot : palette::kFace;
        if (look.disabled) ink = palette::kDisabledInk;
    }
    core::fill_round_rect(surface, face, radius, fill);
    if (!primary) core::stroke_round_rect(surface, face, radius, std::max(1.0, state.dpi / 96.0), palette::kFaceBorder);
    if (look.focus) draw_focus_ring(state, surface, face, radius);

    // An icon before the label, both centred together.
    std::optional<core::IconKind> icon;
    if (id == kPauseButton) icon = state.content.user_paused ? core::IconKind::play : core::IconKind::pause;
    if (id == kPreviewButton) icon = core::IconKind::window_preview;
    if (id == kExitButton) icon = core::IconKind::exit;
    const HFONT font = state.fonts.font(kLabelFont);
    const int label_width = text_width(canvas.dc(), font, label);
    const int icon_size = icon ? state.scaled(14) : 0;
    const int gap = icon ? state.scaled(6) : 0;
    const int content = icon_size + gap + label_width;
    const int left = std::max(static_cast<int>(face.left) + state.scaled(8), (surface.width() - content) / 2);
    if (icon) {
        core::draw_icon(surface, *icon, core::PointF{static_cast<double>(left), (surface.height() - icon_size) / 2.0},
                        icon_size, ink);
    }
    draw_text(canvas.dc(), font, ink, label, RECT{left + icon_size + gap, 0, static_cast<LONG>(face.right) - state.scaled(6), surface.height()}, kSingleLine);
}

void draw_switch(const PanelState& state, Canvas& canvas, bool checked, const ButtonLook& look, std::string_view label) {
    core::PixelSurface& surface = canvas.surface();
    const double ring = state.scaled(3);
    const double width = state.scaled(34);
    const double height = state.scaled(20);
    const double top = (surface.height() - height) / 2;
    const core::RectF track{ring, top, ring + width, top + height};
    const bool active = look.hot || look.pressed;
    core::ColorRef colour = checked ? (active ? kTrackOnHot : kTrackOn) : (active ? kTrackOffHot : kTrackOff);
    if (look.disabled) colour = faded(colour);
    core::fill_round_rect(surface, track, height / 2, colour);
    const double knob = height / 2 - state.scaled(3);
    const double knob_x = checked ? track.right - height / 2 : track.left + height / 2;
    core::fill_circle(surface, core::PointF{knob_x, top + height / 2}, knob, palette::kWhite);
    if (look.focus) draw_focus_ring(state, surface, track, height / 2);
    draw_text(canvas.dc(), state.fonts.font(kLabelFont), look.disabled ? palette::kDisabledInk : palette::kInk, label, RECT{static_cast<LONG>(track.right) + state.scaled(8), 0, surface.width(), surface.height()}, kSingleLine);
}

}  // namespace

LRESULT draw_panel_button(PanelState& state, NMCUSTOMDRAW& draw) {
    if (draw.dwDrawStage != CDDS_PREPAINT) return CDRF_DODEFAULT;
    const int width = draw.rc.right - draw.rc.left;
    const int height = draw.rc.bottom - draw.rc.top;
    const int id = static_cast<int>(draw.hdr.idFrom);
    const bool on_header = id == kSetDesktopButton || id == kPauseButton || id == kPreviewButton;
    const core::ColorRef background = on_header ? palette::kItem : palette::kWindow;
    auto canvas = create_canvas(draw.hdc, width, height);
    if (!canvas) {
        // Its background rather than the system's button: the control is never drawn in
        // a look that is not this window's.
        const win32::unique_brush brush(::CreateSolidBrush(background));
        ::FillRect(draw.hdc, &draw.rc, brush.get());
        return CDRF_SKIPDEFAULT;
    }
    core::fill_round_rect(canvas->surface(), core::RectF{0, 0, static_cast<double>(width), static_cast<double>(height)},
                          0, background);
    const bool disabled = (draw.uItemState & CDIS_DISABLED) != 0;
    const LRESULT ui_state = ::SendMessageW(state.window, WM_QUERYUISTATE, 0, 0);
    const ButtonLook look{
        .pressed = !disabled && (draw.uItemState & CDIS_SELECTED) != 0,
        .hot = !disabled && (draw.uItemState & CDIS_HOT) != 0,
        .disabled = disabled,
        .focus = (draw.uItemState & CDIS_FOCUS) != 0 && (ui_state & UISF_HIDEFOCUS) == 0,
    };
    const HWND control = draw.hdr.hwndFrom;
    const std::string label = window_text(control);
    if (id == kAutostartBox) {
        draw_switch(state, *canvas, ::SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED, look, label);
    } else {
        draw_push_button(state, *canvas, id, look, label);
    }
    present_canvas(std::move(*canvas), draw.hdc, draw.rc.left, draw.rc.top);
    return CDRF_SKIPDEFAULT;
}

}  // namespace player
