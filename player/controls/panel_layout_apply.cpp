#include <windows.h>

#include <algorithm>

#include "player/controls/panel_ids.h"
#include "player/controls/panel_internal.h"
#include "player/controls/panel_text.h"
#include "player/win32/dpi.h"
#include "player/win32/gdi.h"
#include "player/win32/wide.h"

namespace player {
namespace {

constexpr int kControlFont = core::kUiFontBody;
constexpr int kDetailFont = core::kUiFontDetail;

struct TextMeasure {
    int line_height = 0;
    int detail_height = 0;
};

// The detail text's height when wrapped to the width the layout gives it, in its font.
TextMeasure measure_detail(const PanelState& state) {
    TextMeasure measure;
    const win32::unique_window_dc window_dc = win32::get_window_dc(state.window);
    if (!window_dc) return measure;
    const HDC dc = window_dc.get().dc;
    const win32::unique_selection font(dc, state.fonts.font(kDetailFont));
    TEXTMETRICW metrics{};
    if (::GetTextMetricsW(dc, &metrics)) measure.line_height = metrics.tmHeight;
    const std::wstring detail = win32::to_wide(state.content.detail).value_or(std::wstring());
    RECT bounds{0, 0, core::detail_text_width(static_cast<int>(state.dpi)), 0};
    ::DrawTextW(dc, detail.c_str(), static_cast<int>(detail.size()), &bounds, DT_CALCRECT | kDetailText);
    measure.detail_height = bounds.bottom - bounds.top;
    return measure;
}

void place(HWND control, const core::PanelRect& rect) {
    ::SetWindowPos(control, nullptr, rect.left, rect.top, std::max(0, rect.right - rect.left),
                   std::max(0, rect.bottom - rect.top), SWP_NOZORDER | SWP_NOACTIVATE);
}

void fit_window_to(const PanelState& state, int client_width, int client_height) {
    RECT outer{0, 0, client_width, client_height};
    const DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(state.window, GWL_STYLE));
    const DWORD ex_style = static_cast<DWORD>(::GetWindowLongPtrW(state.window, GWL_EXSTYLE));
    win32::adjust_window_rect_for_dpi(outer, style, ex_style, state.dpi);
    RECT current{};
    ::GetWindowRect(state.window, &current);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    if (width != current.right - current.left || height != current.bottom - current.top) {
        ::SetWindowPos(state.window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

}  // namespace

void use_fonts_for_dpi(PanelState& state) {
    auto fonts = create_ui_fonts(state.dpi);
    if (!fonts) return;  // the previous fonts stay: text keeps its old size rather than none
    UiFonts previous = std::exchange(state.fonts, std::move(*fonts));
    for (const int id : {kSetDesktopButton, kPauseButton, kPreviewButton, kWallpaperList, kAutostartBox, kExitButton}) {
        ::SendMessageW(state.child(id), WM_SETFONT, reinterpret_cast<WPARAM>(state.fonts.font(kControlFont)), FALSE);
    }
}

void apply_panel_layout(PanelState& state) {
    const TextMeasure measure = measure_detail(state);
    state.layout = core::panel_layout(static_cast<int>(state.dpi), measure.line_height, measure.detail_height,
                                      state.wallpapers.size());
    const core::PanelLayout& layout = state.layout;
    fit_window_to(state, layout.client_width, layout.client_height);
    place(state.child(kSetDesktopButton), layout.desktop_button);
    place(state.child(kPauseButton), layout.pause_button);
    place(state.child(kPreviewButton), layout.preview_button);
    place(state.child(kWallpaperList), layout.list_box);
    place(state.child(kAutostartBox), layout.autostart_check);
    place(state.child(kExitButton), layout.exit_button);
    ::RedrawWindow(state.window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

}  // namespace player
