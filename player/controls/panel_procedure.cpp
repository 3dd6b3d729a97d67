#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <optional>

#include "player/controls/panel_ids.h"
#include "player/controls/panel_internal.h"
#include "player/win32/dpi.h"
#include "player/win32/gdi.h"

namespace player {
namespace {

bool is_panel_button(UINT_PTR id) {
    return id == kSetDesktopButton || id == kPauseButton || id == kPreviewButton || id == kAutostartBox ||
           id == kExitButton;
}

void on_list_selection(PanelState& state) {
    const LRESULT index = ::SendMessageW(state.child(kWallpaperList), LB_GETCURSEL, 0, 0);
    if (index < 0 || static_cast<std::size_t>(index) >= state.wallpapers.size()) return;
    const std::string& id = state.wallpapers[static_cast<std::size_t>(index)].id;
    if (state.id_in_use == id) {
        state.pending_selection.reset();
        return;
    }
    state.pending_selection = id;
    post_command(state, kWallpaperList);
}

LRESULT on_command(PanelState& state, WPARAM wparam) {
    const int id = LOWORD(wparam);
    const int code = HIWORD(wparam);
    if (id == kWallpaperList) {
        if (code == LBN_SELCHANGE) on_list_selection(state);
    } else if (code == BN_CLICKED && is_panel_button(static_cast<UINT_PTR>(id))) {
        post_command(state, id);
    }
    return 0;
}

void on_dpi_changed(PanelState& state, WPARAM wparam, LPARAM lparam) {
    state.dpi = std::max<UINT>(LOWORD(wparam), USER_DEFAULT_SCREEN_DPI);
    use_fonts_for_dpi(state);
    ::SendMessageW(state.child(kWallpaperList), LB_SETITEMHEIGHT, 0, state.scaled(48));
    const RECT& suggested = *reinterpret_cast<const RECT*>(lparam);
    ::SetWindowPos(state.window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    apply_panel_layout(state);
}

LRESULT on_paint(PanelState& state) {
    const win32::unique_paint painting = win32::begin_paint(state.window);
    RECT client{};
    ::GetClientRect(state.window, &client);
    paint_panel(state, painting.get().paint.hdc, client);
    return 0;
}

// Painting: it only reads the state, and the system asks for it whenever a control
// changes, also while a handler (a refresh setting a caption) is still running.
std::optional<LRESULT> paint(PanelState& state, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_PAINT:
            return on_paint(state);
        case WM_ERASEBKGND:
            return 1;
        case WM_MEASUREITEM: {
            auto& measure = *reinterpret_cast<MEASUREITEMSTRUCT*>(lparam);
            if (measure.CtlID != kWallpaperList) break;
            measure.itemHeight = static_cast<UINT>(state.scaled(48));
            return TRUE;
        }
        case WM_DRAWITEM: {
            const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
            if (item.CtlID != kWallpaperList) break;
            draw_wallpaper_card(state, item);
            return TRUE;
        }
        case WM_NOTIFY: {
            auto& header = *reinterpret_cast<NMHDR*>(lparam);
            if (header.code != NM_CUSTOMDRAW || !is_panel_button(header.idFrom)) break;
            return draw_panel_button(state, *reinterpret_cast<NMCUSTOMDRAW*>(lparam));
        }
        case WM_CTLCOLORSTATIC: {
            const HDC dc = reinterpret_cast<HDC>(wparam);
            ::SetBkMode(dc, TRANSPARENT);
            ::SetTextColor(dc, RGB(0x3A, 0x2A, 0x21));
            return reinterpret_cast<LRESULT>(state.static_brush.get());
        }
        case WM_CTLCOLORLISTBOX:
            return reinterpret_cast<LRESULT>(state.list_brush.get());
        default:
            break;
    }
    return std::nullopt;
}

// The window's own handling; nothing when the message takes the default handling.
std::optional<LRESULT> handle(PanelState& state, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_COMMAND:
            if (lparam == 0) break;  // menus and accelerators: the window has none
            return on_command(state, wparam);
        case WM_CLOSE:
            // Closing the window is leaving the player; the controller decides how.
            post_command(state, kExitButton);
            return 0;
        case WM_DPICHANGED:
            on_dpi_changed(state, wparam, lparam);
            return 0;
        default:
            break;
    }
    return std::nullopt;
}

}  // namespace

PanelState* panel_state_of(HWND window) {
    return reinterpret_cast<PanelState*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

void post_command(const PanelState& state, int command) {
    ::PostMessageW(state.controller, WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

LRESULT CALLBACK panel_window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        auto* state = static_cast<PanelState*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
        state->window = window;
        state->dpi = std::max<UINT>(win32::window_dpi(window), USER_DEFAULT_SCREEN_DPI);
        state->list_brush.reset(::CreateSolidBrush(RGB(0xFF, 0xFA, 0xF9)));
        state->static_brush.reset(::CreateSolidBrush(RGB(0xFB, 0xF6, 0xEE)));
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
        return ::DefWindowProcW(window, message, wparam, lparam);
    }
    PanelState* state = panel_state_of(window);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        if (state != nullptr && state->owned_by_window) delete state;
        return ::DefWindowProcW(window, message, wparam, lparam);
    }
    // The user moved the list's selection: the refresh must look at it again, even when
    // the notice arrives while a handler runs.
    if (state != nullptr && message == WM_COMMAND && LOWORD(wparam) == kWallpaperList &&
        HIWORD(wparam) == LBN_SELCHANGE) {
        state->list_selection.reset();
    }
    if (state != nullptr) {
        if (const auto painted = paint(*state, message, wparam, lparam)) return *painted;
    }
    if (state != nullptr && !state->in_use) {
        // The default handling below runs outside the guard: it may send this window
        // further messages (the close box sends WM_CLOSE) that must be handled.
        StateUse use(*state);
        if (const auto handled = handle(*state, message, wparam, lparam)) return *handled;
    }
    return ::DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace player
