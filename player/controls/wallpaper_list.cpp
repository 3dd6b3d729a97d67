#include <windows.h>

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <optional>

#include "core/controls/card_layout.h"
#include "player/controls/panel_ids.h"
#include "player/controls/panel_internal.h"

namespace player {
namespace {

struct ItemHit {
    int index = -1;
    bool in_delete_zone = false;
};

// The item under a point of the list's client area, and whether the point lies in its
// delete zone at the right end.
ItemHit hit_test(const PanelState& state, HWND list, POINT point) {
    const LRESULT found = ::SendMessageW(list, LB_ITEMFROMPOINT, 0, MAKELPARAM(point.x, point.y));
    if (HIWORD(found) != 0) return {};  // below the last item
    const int index = LOWORD(found);
    if (index < 0 || static_cast<std::size_t>(index) >= state.wallpapers.size()) return {};
    RECT item{};
    if (::SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) == LB_ERR) {
        return {};
    }
    if (!::PtInRect(&item, point)) return {};
    return ItemHit{.index = index, .in_delete_zone = core::in_delete_zone(point.x, item.right, static_cast<int>(state.dpi))};
}

void invalidate_item(HWND list, std::optional<int> index) {
    if (!index) return;
    RECT item{};
    if (::SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(*index), reinterpret_cast<LPARAM>(&item)) != LB_ERR) {
        ::InvalidateRect(list, &item, FALSE);
    }
}

void ask_to_delete(PanelState& state, int index) {
    state.pending_deletion = state.wallpapers[static_cast<std::size_t>(index)].id;
    post_command(state, kRemoveCommand);
}

void track_hover(PanelState& state, HWND list, POINT point) {
    if (!state.tracking_mouse_leave) {
        TRACKMOUSEEVENT track{.cbSize = sizeof(TRACKMOUSEEVENT), .dwFlags = TME_LEAVE, .hwndTrack = list};
        state.tracking_mouse_leave = ::TrackMouseEvent(&track) != FALSE;
    }
    const ItemHit hit = hit_test(state, list, point);
    const std::optional<int> hovered = hit.index >= 0 ? std::optional<int>(hit.index) : std::nullopt;
    if (hovered == state.hover_item && hit.in_delete_zone == state.hover_delete_zone) return;
    invalidate_item(list, state.hover_item);
    state.hover_item = hovered;
    state.hover_delete_zone = hit.in_delete_zone;
    invalidate_item(list, state.hover_item);
}

void clear_hover(PanelState& state, HWND list) {
    state.tracking_mouse_leave = false;
    invalidate_item(list, state.hover_item);
    state.hover_item.reset();
    state.hover_delete_zone = false;
}

// Only the part below the last item: the items paint themselves, so erasing them first
// would only flicker.
void erase_below_items(const PanelState& state, HWND list, HDC dc) {
    RECT client{};
    ::GetClientRect(list, &client);
    const int count = static_cast<int>(::SendMessageW(list, LB_GETCOUNT, 0, 0));
    const int top = static_cast<int>(::SendMessageW(list, LB_GETTOPINDEX, 0, 0));
    const int height = static_cast<int>(::SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
    RECT below = client;
    below.top = std::max<LONG>(client.top, (count - top) * height);
    if (below.top < below.bottom) ::FillRect(dc, &below, state.list_brush.get());
}

// The list's own handling; nothing when the message goes on to the list box itself.
std::optional<LRESULT> handle_list(PanelState& state, HWND list, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_SETCURSOR: {
            POINT point{};
            ::GetCursorPos(&point);
            ::ScreenToClient(list, &point);
            if (LOWORD(lparam) == HTCLIENT && hit_test(state, list, point).index >= 0) {
                ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
                return TRUE;
            }
            break;
        }
        case WM_MOUSEMOVE:
            track_hover(state, list, POINT{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)});
            break;
        case WM_MOUSELEAVE:
            clear_hover(state, list);
            break;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            const ItemHit hit = hit_test(state, list, POINT{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)});
            if (hit.index >= 0 && hit.in_delete_zone) {
                ask_to_delete(state, hit.index);
                return 0;  // the click asks to delete; it does not select
            }
            break;
        }
        case WM_KEYDOWN:
            if (wparam == VK_DELETE) {
                const LRESULT selected = ::SendMessageW(list, LB_GETCURSEL, 0, 0);
                if (selected >= 0 && static_cast<std::size_t>(selected) < state.wallpapers.size()) {
                    ask_to_delete(state, static_cast<int>(selected));
                }
                return 0;
            }
            break;
        default:
            break;
    }
    return std::nullopt;
}

}  // namespace

LRESULT CALLBACK wallpaper_list_procedure(HWND list, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                          DWORD_PTR data) {
    auto& state = *reinterpret_cast<PanelState*>(data);
    if (message == WM_NCDESTROY) ::RemoveWindowSubclass(list, wallpaper_list_procedure, 1);
    // Erasing only reads the state, and a refill of the list asks for it mid-refresh.
    if (message == WM_ERASEBKGND) {
        erase_below_items(state, list, reinterpret_cast<HDC>(wparam));
        return 1;
    }
    if (message != WM_NCDESTROY && !state.in_use) {
        // The list box's own handling runs outside the guard: a click selects an item and
        // so notifies the window, which must see that notification.
        StateUse use(state);
        if (const auto handled = handle_list(state, list, message, wparam, lparam)) return *handled;
    }
    return ::DefSubclassProc(list, message, wparam, lparam);
}

}  // namespace player
