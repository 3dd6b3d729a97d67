#include "player/controls/control_window.h"

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/controls/panel_content.h"
#include "core/controls/panel_layout.h"
#include "core/controls/panel_scale.h"
#include "core/shell/commands.h"
#include "player/controls/panel_ids.h"
#include "player/controls/panel_internal.h"
#include "player/win32/unique_resource.h"
#include "player/win32/wide.h"
#include "window_classes.h"

namespace {

std::string text_of(HWND window) {
    wchar_t buffer[256] = {};
    ::GetWindowTextW(window, buffer, 256);
    return win32::to_utf8(buffer).value();
}

SIZE size_of(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

core::PanelContent playing_on_desktop() {
    core::PanelInputs inputs;
    inputs.wallpaper_name = "Aurora";
    inputs.ready = true;
    inputs.host_exists = true;
    inputs.webview_exists = true;
    inputs.desktop_mounted = true;
    inputs.host_visible = true;
    inputs.desktop_wanted = true;
    return core::panel_content(inputs);
}

std::vector<core::LibraryEntry> entries(int count) {
    std::vector<core::LibraryEntry> list;
    for (int i = 0; i < count; ++i) {
        list.push_back({.id = "w" + std::to_string(i), .name = "Wallpaper " + std::to_string(i), .folder = ""});
    }
    return list;
}

// A stand-in for the controller window: a message-only window whose posted commands the
// test collects.
class ControlWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(test::ensure_window_class(player::kPanelWindowClass, player::register_panel_window_class));
    }
    void SetUp() override {
        controller_.reset(::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
        ASSERT_TRUE(controller_);
        auto created = player::create_control_window(controller_.get());
        ASSERT_TRUE(created) << created.error().chain();
        panel_.emplace(std::move(*created));
    }

    HWND window() const { return panel_->handle(); }
    HWND child(int id) const { return ::GetDlgItem(window(), id); }

    // The commands posted to the controller so far, in order; each with lParam 0.
    std::vector<int> commands() {
        std::vector<int> posted;
        MSG message;
        while (::PeekMessageW(&message, controller_.get(), WM_COMMAND, WM_COMMAND, PM_REMOVE)) {
            // A quit message, left by a controller window another test destroyed, passes
            // every filter.
            if (message.message != WM_COMMAND) continue;
            EXPECT_EQ(message.lParam, 0);
            EXPECT_EQ(HIWORD(message.wParam), 0);
            posted.push_back(LOWORD(message.wParam));
        }
        return posted;
    }

    // The list's client point in the middle of an item, at x from its right edge.
    LPARAM point_in_item(int index, int from_right) {
        RECT item{};
        ::SendMessageW(child(player::kWallpaperList), LB_GETITEMRECT, static_cast<WPARAM>(index),
                       reinterpret_cast<LPARAM>(&item));
        return MAKELPARAM(item.right - from_right, (item.top + item.bottom) / 2);
    }

    win32::unique_window controller_;
    std::optional<player::ControlWindow> panel_;
};

TEST_F(ControlWindowTest, CreatedWithItsTitleControlsAndWidthHiddenUntilAsked) {
    EXPECT_EQ(text_of(window()), "Tessary · 壁纸控制");
    EXPECT_FALSE(::IsWindowVisible(window()));
    const std::pair<int, const char*> expected[] = {
        {player::kSetDesktopButton, "设为桌面壁纸"}, {player::kPauseButton, "暂停"},
        {player::kPreviewButton, "窗口预览"},       {player::kAutostartBox, "开机自动运行（不弹出控制窗口）"},
        {player::kExitButton, "退出壁纸"}};
    for (const auto& [id, text] : expected) {
        ASSERT_NE(child(id), nullptr) << id;
        EXPECT_EQ(text_of(child(id)), text);
    }
    ASSERT_NE(child(player::kWallpaperList), nullptr);
    EXPECT_FALSE(::GetWindowLongPtrW(child(player::kWallpaperList), GWL_STYLE) & WS_VISIBLE);
    RECT client{};
    ::GetClientRect(window(), &client);
    const UINT dpi = std::max<UINT>(::GetDpiForWindow(window()), 96);
    EXPECT_EQ(client.right, static_cast<LONG>((dpi * 480 + 32) / 96));

    // Shown once filled: at its final size, and painted before anything else runs (nothing
    // is left to paint, so no frame of it was blank).
    auto shown = player::create_control_window(controller_.get());
    ASSERT_TRUE(shown);
    shown->refresh(playing_on_desktop(), entries(4), std::string("w1"));
    const SIZE filled = size_of(shown->handle());
    shown->show();
    EXPECT_TRUE(::IsWindowVisible(shown->handle()));
    EXPECT_EQ(size_of(shown->handle()).cy, filled.cy);
    EXPECT_FALSE(::GetUpdateRect(shown->handle(), nullptr, FALSE));
    EXPECT_FALSE(::GetUpdateRect(::GetDlgItem(shown->handle(), player::kWallpaperList), nullptr, FALSE));
}

TEST_F(ControlWindowTest, ButtonsAndTheCloseBoxOnlyPostCommands) {
    for (const int id : {player::kSetDesktopButton, player::kPauseButton, player::kPreviewButton,
                         player::kAutostartBox, player::kExitButton}) {
        ::SendMessageW(child(id), BM_CLICK, 0, 0);
    }
    ::SendMessageW(window(), WM_CLOSE, 0, 0);
    EXPECT_EQ(commands(), (std::vector<int>{core::CMD_SET_DESKTOP, core::CMD_TOGGLE_PAUSE, core::CMD_WINDOW_PREVIEW, core::CMD_AUTOSTART, core::CMD_EXIT, core::CMD_EXIT}));
    EXPECT_TRUE(::IsWindow(window()));
    // The check box changed its own state before its command left.
    EXPECT_TRUE(panel_->autostart_checked());
    panel_->set_autostart_checked(false);
    EXPECT_FALSE(panel_->autostart_checked());
}

TEST_F(ControlWindowTest, RefreshSetsTextsCaptionsAndTheListOnlyWhenTheyChange) {
    const core::PanelContent content = playing_on_desktop();
    panel_->refresh(content, entries(3), std::string("w1"));
    EXPECT_EQ(text_of(child(player::kSetDesktopButton)), content.desktop_caption);
    EXPECT_EQ(text_of(child(player::kPauseButton)), "暂停");
    EXPECT_TRUE(::IsWindowEnabled(child(player::kPauseButton)));
    const HWND list = child(player::kWallpaperList);
    EXPECT_EQ(::SendMessageW(list, LB_GETCOUNT, 0, 0), 3);
    EXPECT_TRUE(::GetWindowLongPtrW(list, GWL_STYLE) & WS_VISIBLE);
    EXPECT_EQ(::SendMessageW(list, LB_GETCURSEL, 0, 0), 1);

    const int dpi = static_cast<int>(std::max<UINT>(::GetDpiForWindow(window()), 96));
    const int item = core::scale_length(dpi, 48);
    EXPECT_EQ(::SendMessageW(list, LB_GETITEMHEIGHT, 0, 0), item);
    // Three cards show whole; nine scroll within five.
    EXPECT_EQ(size_of(list).cy, 3 * item);
    panel_->refresh(content, entries(9), std::string("w1"));
    EXPECT_EQ(size_of(list).cy, 5 * item);
    // Scrolled to the end, then the last wallpaper deleted: the list stays where it was,
    // though the row in use is out of sight, and holds no row that is gone.
    ::SendMessageW(list, LB_SETTOPINDEX, 4, 0);
    panel_->refresh(content, entries(8), std::string("w1"));
    EXPECT_EQ(::SendMessageW(list, LB_GETTOPINDEX, 0, 0), 3);
    EXPECT_EQ(::SendMessageW(list, LB_GETCOUNT, 0, 0), 8);
    EXPECT_EQ(::SendMessageW(list, LB_GETCURSEL, 0, 0), 1);

    core::PanelInputs empty;
    empty.library_empty = true;
    panel_->refresh(core::panel_content(empty), {}, std::nullopt);
    EXPECT_EQ(::SendMessageW(list, LB_GETCOUNT, 0, 0), 0);
    EXPECT_FALSE(::GetWindowLongPtrW(list, GWL_STYLE) & WS_VISIBLE);
    EXPECT_FALSE(::IsWindowEnabled(child(player::kSetDesktopButton)));
    EXPECT_FALSE(::IsWindowEnabled(child(player::kPauseButton)));
    EXPECT_TRUE(commands().empty());
}

TEST_F(ControlWindowTest, PickingACardSelectsItUnlessItIsInUse) {
    panel_->refresh(playing_on_desktop(), entries(3), std::string("w0"));
    const HWND list = child(player::kWallpaperList);
    const auto pick = [&](int index) {
        ::SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
        ::SendMessageW(window(), WM_COMMAND, MAKEWPARAM(player::kWallpaperList, LBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(list));
    };
    pick(2);
    EXPECT_EQ(commands(), std::vector<int>{core::CMD_SELECT_FROM_LIST});
    EXPECT_EQ(panel_->take_pending_selection(), "w2");
    EXPECT_EQ(panel_->take_pending_selection(), std::nullopt);
    // The pick did not play: the next refresh puts the selection back on the card in use,
    // although the window had set it there itself before.
    panel_->refresh(playing_on_desktop(), entries(3), std::string("w0"));
    EXPECT_EQ(::SendMessageW(list, LB_GETCURSEL, 0, 0), 0);

    pick(2);
    pick(0);  // the wallpaper in use: forgets the pending pick and asks nothing
    EXPECT_EQ(commands(), std::vector<int>{core::CMD_SELECT_FROM_LIST});
    EXPECT_EQ(panel_->take_pending_selection(), std::nullopt);
}

TEST_F(ControlWindowTest, TheRightEndOfACardAndTheDeleteKeyAskToDelete) {
    panel_->refresh(playing_on_desktop(), entries(3), std::string("w0"));
    const HWND list = child(player::kWallpaperList);
    ::SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, point_in_item(1, 4));
    ::SendMessageW(list, WM_LBUTTONUP, 0, point_in_item(1, 4));
    EXPECT_EQ(commands(), std::vector<int>{core::CMD_REMOVE_WALLPAPER});
    EXPECT_EQ(panel_->take_pending_deletion(), "w1");
    EXPECT_EQ(::SendMessageW(list, LB_GETCURSEL, 0, 0), 0);  // not selected

    ::SendMessageW(list, LB_SETCURSEL, 2, 0);
    ::SendMessageW(list, WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(commands(), std::vector<int>{core::CMD_REMOVE_WALLPAPER});
    EXPECT_EQ(panel_->take_pending_deletion(), "w2");
}

TEST_F(ControlWindowTest, PaintingFillsTheBackgroundAndTheCards) {
    panel_->refresh(playing_on_desktop(), entries(2), std::string("w0"));
    player::PanelState& state = *player::panel_state_of(window());
    // Paint into a bitmap of our own so the pixels can be read back.
    const HDC screen = ::GetDC(nullptr);
    const HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {.biSize = sizeof(BITMAPINFOHEADER), .biWidth = 480, .biHeight = -400, .biPlanes = 1,
                      .biBitCount = 32, .biCompression = BI_RGB};
    void* bits = nullptr;
    const HBITMAP bitmap = ::CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bitmap, nullptr);
    const HGDIOBJ previous = ::SelectObject(memory, bitmap);
    player::paint_panel(state, memory, RECT{0, 0, 480, 400});
    ::GdiFlush();
    const auto pixel = [&](int x, int y) { return static_cast<const std::uint32_t*>(bits)[y * 480 + x] & 0xFFFFFF; };
    EXPECT_EQ(pixel(1, 1), 0xFBF6EEu);
    const core::PanelRect card = state.layout.header_card;
    EXPECT_EQ(pixel((card.left + card.right) / 2, card.bottom - state.scaled(4)), 0xFFFAF9u);
    ::SelectObject(memory, previous);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
}

TEST_F(ControlWindowTest, ADpiChangeScalesTheWindowAndTheCards) {
    panel_->refresh(playing_on_desktop(), entries(3), std::string("w0"));
    RECT suggested{100, 100, 900, 900};
    ::SendMessageW(window(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    RECT client{};
    ::GetClientRect(window(), &client);
    EXPECT_EQ(client.right, 720);
    EXPECT_EQ(::SendMessageW(child(player::kWallpaperList), LB_GETITEMHEIGHT, 0, 0), 72);
    EXPECT_EQ(size_of(child(player::kWallpaperList)).cy, 3 * 72);
}

// A bitmap of our own to paint into, so that the pixels can be read back; black at first.
class PixelTarget {
public:
    PixelTarget(int width, int height) : width_(width) {
        BITMAPINFO info{};
        info.bmiHeader = {.biSize = sizeof(BITMAPINFOHEADER), .biWidth = width, .biHeight = -height, .biPlanes = 1,
                          .biBitCount = 32, .biCompression = BI_RGB};
        bitmap_ = ::CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
        previous_ = ::SelectObject(dc_, bitmap_);
    }
    ~PixelTarget() {
        ::SelectObject(dc_, previous_);
        ::DeleteObject(bitmap_);
        ::DeleteDC(dc_);
    }
    HDC dc() const { return dc_; }
    std::uint32_t pixel(int x, int y) const {
        ::GdiFlush();
        return static_cast<const std::uint32_t*>(bits_)[y * width_ + x] & 0xFFFFFF;
    }

private:
    int width_;
    HDC dc_ = ::CreateCompatibleDC(nullptr);
    void* bits_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

LRESULT custom_draw(HWND window, HWND button, HDC dc, RECT rect) {
    NMCUSTOMDRAW draw{};
    draw.hdr = {.hwndFrom = button, .idFrom = static_cast<UINT_PTR>(::GetDlgCtrlID(button)), .code = NM_CUSTOMDRAW};
    draw.dwDrawStage = CDDS_PREPAINT;
    draw.hdc = dc;
    draw.rc = rect;
    return ::SendMessageW(window, WM_NOTIFY, draw.hdr.idFrom, reinterpret_cast<LPARAM>(&draw));
}

// A control repaints whenever a refresh changes it, so its paint arrives while the
// refresh still holds the window's state: it must get the window's look all the same.
TEST_F(ControlWindowTest, PaintsAskedForWhileAHandlerRunsKeepTheWindowsLook) {
    panel_->refresh(playing_on_desktop(), entries(2), std::string("w0"));
    player::PanelState& state = *player::panel_state_of(window());
    const player::StateUse busy(state);
    PixelTarget target(120, 48);

    EXPECT_EQ(custom_draw(window(), child(player::kPauseButton), target.dc(), RECT{0, 0, 120, 48}), CDRF_SKIPDEFAULT);
    EXPECT_EQ(target.pixel(0, 0), 0xFFFDF9u);  // the header card behind the button
    EXPECT_EQ(custom_draw(window(), child(player::kExitButton), target.dc(), RECT{0, 0, 120, 48}), CDRF_SKIPDEFAULT);
    EXPECT_EQ(target.pixel(0, 0), 0xFBF6EEu);  // the window behind the button

    const HWND list = child(player::kWallpaperList);
    DRAWITEMSTRUCT item{.CtlType = ODT_LISTBOX, .CtlID = static_cast<UINT>(player::kWallpaperList), .itemID = 1,
                        .itemAction = ODA_DRAWENTIRE, .itemState = 0, .hwndItem = list, .hDC = target.dc(),
                        .rcItem = RECT{0, 0, 120, 48}, .itemData = 0};
    ::PatBlt(target.dc(), 0, 0, 120, 48, BLACKNESS);
    EXPECT_EQ(::SendMessageW(window(), WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item)), TRUE);
    EXPECT_NE(target.pixel(60, 24), 0u);
    EXPECT_EQ(::SendMessageW(list, WM_ERASEBKGND, reinterpret_cast<WPARAM>(target.dc()), 0), 1);
}

// A canvas too large to create stands in for any failed paint: the area shows the
// background it sits on, never what the screen held before or the system's own look.
TEST_F(ControlWindowTest, AFailedPaintShowsTheBackground) {
    panel_->refresh(playing_on_desktop(), entries(2), std::string("w0"));
    player::PanelState& state = *player::panel_state_of(window());
    PixelTarget target(120, 48);
    const RECT huge{0, 0, 100'000, 100'000};
    player::paint_panel(state, target.dc(), huge);
    EXPECT_EQ(target.pixel(1, 1), 0xFBF6EEu);
    ::PatBlt(target.dc(), 0, 0, 120, 48, BLACKNESS);
    EXPECT_EQ(custom_draw(window(), child(player::kSetDesktopButton), target.dc(), huge), CDRF_SKIPDEFAULT);
    EXPECT_EQ(target.pixel(1, 1), 0xFFFDF9u);
    ::PatBlt(target.dc(), 0, 0, 120, 48, BLACKNESS);
    DRAWITEMSTRUCT item{.CtlType = ODT_LISTBOX, .CtlID = static_cast<UINT>(player::kWallpaperList), .itemID = 0,
                        .itemAction = ODA_DRAWENTIRE, .itemState = 0, .hwndItem = child(player::kWallpaperList),
                        .hDC = target.dc(), .rcItem = huge, .itemData = 0};
    ::SendMessageW(window(), WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(target.pixel(1, 1), 0xFFFAF9u);
}

// The layout reserves the lines the text is drawn on: a long word that drawing breaks
// (as an edit control does) takes more than the two lines a short text reserves.
TEST_F(ControlWindowTest, TheDetailTextIsMeasuredAsItIsDrawn) {
    core::PanelContent content = playing_on_desktop();
    content.detail = "short";
    panel_->refresh(content, entries(1), std::nullopt);
    const player::PanelState& state = *player::panel_state_of(window());
    const int reserved = state.layout.detail_height;
    content.detail = "C:\\" + std::string(300, 'x') + ".wallpkg";
    panel_->refresh(content, entries(1), std::nullopt);
    EXPECT_GT(state.layout.detail_height, reserved);
}

}  // namespace
