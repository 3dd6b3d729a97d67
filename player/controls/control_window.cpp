#include "player/controls/control_window.h"

#include <dwmapi.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <optional>
#include <tuple>

#include "core/canvas/color.h"
#include "player/controls/panel_ids.h"
#include "player/controls/panel_internal.h"
#include "player/win32/wide.h"
#include "player/win32/window_class.h"

namespace player {
namespace {

struct ChildControl {
    int id;
    const wchar_t* window_class;
    const wchar_t* text;
    DWORD style;
};

constexpr DWORD kButtonStyle = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
const ChildControl kChildren[] = {
    {kSetDesktopButton, L"BUTTON", L"设为桌面壁纸", kButtonStyle},
    {kPauseButton, L"BUTTON", L"暂停", kButtonStyle},
    {kPreviewButton, L"BUTTON", L"窗口预览", kButtonStyle},
    {kWallpaperList, L"LISTBOX", L"",
     WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT},
    {kAutostartBox, L"BUTTON", L"开机自动运行（不弹出控制窗口）", WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX},
    {kExitButton, L"BUTTON", L"退出壁纸", kButtonStyle},
};

// Each child is recorded in the state's table at creation.
static_assert(std::size(kChildren) == std::tuple_size_v<decltype(PanelState::children)>);

constexpr DWORD kWindowStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = WS_EX_APPWINDOW;

// DWMWA_BORDER_COLOR, DWMWA_CAPTION_COLOR and DWMWA_TEXT_COLOR of the Windows 11 SDK,
// which MinGW-w64's dwmapi.h does not name yet.
constexpr DWORD kDwmBorderColor = 34;
constexpr DWORD kDwmCaptionColor = 35;
constexpr DWORD kDwmTextColor = 36;
// DWMWA_CLOAK: shown to the window manager but not composed while set.
constexpr DWORD kDwmCloak = 13;

// The caption, its text and the border in the window's own palette; systems without
// these attributes simply keep their colours.
void colour_frame(HWND window) {
    const COLORREF caption = core::rgb(0xFB, 0xF6, 0xEE);
    const COLORREF text = core::rgb(0x3A, 0x2A, 0x21);
    const COLORREF border = core::rgb(0xDC, 0xC9, 0xAC);
    ::DwmSetWindowAttribute(window, kDwmCaptionColor, &caption, sizeof caption);
    ::DwmSetWindowAttribute(window, kDwmTextColor, &text, sizeof text);
    ::DwmSetWindowAttribute(window, kDwmBorderColor, &border, sizeof border);
}

core::Status create_children(PanelState& state) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    std::size_t next = 0;
    for (const ChildControl& child : kChildren) {
        const HWND created = ::CreateWindowExW(0, child.window_class, child.text, WS_CHILD | child.style, 0, 0, 0, 0,
                                               state.window,
                                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(child.id)), instance,
                                               nullptr);
        if (created == nullptr) return core::fail("control creation failed: " + std::to_string(::GetLastError()));
        state.children[next++] = {child.id, created};
    }
    ::SetWindowSubclass(state.child(kWallpaperList), wallpaper_list_procedure, 1,
                        reinterpret_cast<DWORD_PTR>(&state));
    return {};
}

std::wstring wide_text(std::string_view text) { return win32::to_wide(text).value_or(std::wstring()); }

void set_text(HWND control, std::string_view text) { ::SetWindowTextW(control, wide_text(text).c_str()); }

// Whether the list shows exactly these wallpapers: the same ids and names, in order.
bool same_rows(const std::vector<PanelEntry>& shown, const std::vector<core::LibraryEntry>& library) {
    if (shown.size() != library.size()) return false;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        if (shown[i].id != library[i].id || shown[i].name != library[i].name) return false;
    }
    return true;
}

}  // namespace

core::Status register_panel_window_class() {
    return win32::register_player_window_class(kPanelWindowClass, panel_window_procedure,
                                               "control panel registration failed: ");
}

core::Result<ControlWindow> create_control_window(HWND controller) {
    auto state = std::make_unique<PanelState>();
    state->controller = controller;
    // The window frees the state once it owns it; until then a failed creation leaves it
    // here.
    win32::unique_window window(::CreateWindowExW(kWindowExStyle, kPanelWindowClass, L"Tessary · 壁纸控制",
                                                  kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT, 760, 500, nullptr,
                                                  nullptr, ::GetModuleHandleW(nullptr), state.get()));
    if (!window) return core::fail("control window creation failed: " + std::to_string(::GetLastError()));
    state->owned_by_window = true;
    PanelState* owned = state.release();

    colour_frame(window.get());
    if (auto created = create_children(*owned); !created) return std::unexpected(created.error());
    ::SendMessageW(owned->child(kWallpaperList), LB_SETITEMHEIGHT, 0, owned->scaled(48));
    use_fonts_for_dpi(*owned);
    apply_panel_layout(*owned);
    return ControlWindow(std::move(window), owned);
}

void ControlWindow::refresh(const core::PanelContent& content, const std::vector<core::LibraryEntry>& library,
                            const std::optional<std::string>& id_in_use) {
    PanelState& state = *state_;
    if (state.in_use) return;
    StateUse use(state);

    bool relayout = false;
    if (state.content != content) {
        const bool detail_changed = state.content.detail != content.detail;
        const bool pause_changed = state.content.user_paused != content.user_paused;
        state.content = content;
        set_text(state.child(kPauseButton), content.pause_caption);
        set_text(state.child(kSetDesktopButton), content.desktop_caption);
        ::EnableWindow(state.child(kSetDesktopButton), content.desktop_enabled);
        ::EnableWindow(state.child(kPauseButton), content.pause_enabled);
        ::EnableWindow(state.child(kPreviewButton), content.preview_enabled);
        relayout = detail_changed;
        if (!relayout) ::InvalidateRect(state.window, nullptr, FALSE);
        if (pause_changed) ::InvalidateRect(state.child(kPauseButton), nullptr, FALSE);
    }

    const HWND list = state.child(kWallpaperList);
    // A refill is drawn once, when it is complete, and keeps the list where the user
    // scrolled it: no frame shows it half filled or with a row that is gone.
    std::optional<LRESULT> refilled_top;
    if (!same_rows(state.wallpapers, library)) {
        refilled_top = ::SendMessageW(list, LB_GETTOPINDEX, 0, 0);
        ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
        state.wallpapers.clear();
        state.hover_item.reset();  // the mouse sets it again when it moves
        ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
        state.list_selection = -1;
        for (const core::LibraryEntry& entry : library) {
            state.wallpapers.push_back({entry.id, entry.name});
            ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide_text(entry.name).c_str()));
        }
        ::ShowWindow(list, library.empty() ? SW_HIDE : SW_SHOWNA);
        relayout = true;
    }
    if (id_in_use != state.id_in_use) {
        state.id_in_use = id_in_use;
        ::InvalidateRect(list, nullptr, FALSE);
    }
    int in_use_index = -1;
    for (std::size_t i = 0; i < state.wallpapers.size(); ++i) {
        if (state.id_in_use == state.wallpapers[i].id) in_use_index = static_cast<int>(i);
    }
    if (!state.list_selection) state.list_selection = static_cast<int>(::SendMessageW(list, LB_GETCURSEL, 0, 0));
    if (*state.list_selection != in_use_index) {
        ::SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(in_use_index), 0);
        state.list_selection = in_use_index;
    }
    if (relayout) apply_panel_layout(state);
    if (refilled_top) {
        // Selecting scrolls the selected row into view; the user's place wins.
        const LRESULT last = std::max<LRESULT>(0, ::SendMessageW(list, LB_GETCOUNT, 0, 0) - 1);
        ::SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(std::min(*refilled_top, last)), 0);
        ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
        ::RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
    }
}

// Cloaked while it is shown and painted, so that the compositor's first frame of it is
// the painted one (where cloaking does nothing, as under Wine, the paint follows the
// showing at once instead of after whatever the message loop has queued).
void ControlWindow::show() {
    const HWND window = window_.get();
    if (shown_before_) {
        ::ShowWindow(window, SW_RESTORE);
        return;
    }
    shown_before_ = true;
    BOOL cloak = TRUE;
    const bool cloaked = SUCCEEDED(::DwmSetWindowAttribute(window, kDwmCloak, &cloak, sizeof cloak));
    ::ShowWindow(window, SW_SHOWNORMAL);
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
    if (cloaked) {
        cloak = FALSE;
        ::DwmSetWindowAttribute(window, kDwmCloak, &cloak, sizeof cloak);
    }
}

bool ControlWindow::in_use() const { return state_->in_use; }

std::optional<std::string> ControlWindow::take_pending_selection() {
    return std::exchange(state_->pending_selection, std::nullopt);
}

std::optional<std::string> ControlWindow::take_pending_deletion() {
    return std::exchange(state_->pending_deletion, std::nullopt);
}

bool ControlWindow::autostart_checked() const {
    return ::SendMessageW(state_->child(kAutostartBox), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void ControlWindow::set_autostart_checked(bool checked) {
    ::SendMessageW(state_->child(kAutostartBox), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

}  // namespace player
