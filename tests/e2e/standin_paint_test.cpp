// The page on the screen: the stand-in runtime paints its frames where the program put its
// host, in the preview window and behind the stand-in Explorer's icons, and a press made at
// the X server reaches the page's own document.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "core/shell/commands.h"
#include "desktop_fixture.h"
#include "player/controls/panel_ids.h"
#include "player/events/controller_event.h"
#include "player/win32/gdi.h"
#include "standin_fixture.h"

namespace {

using namespace std::chrono_literals;
using e2e::StandInPlayerTest;

constexpr auto kLoad = 60s;
// Explorer's desktop thread sleeps this long on request; a calm exit takes about 4 s
// (Wine waits 2 s for each top-level window it hides without a window manager).
constexpr std::chrono::milliseconds kExplorerHang = 12s;
// The two halves of the "painted" test page, the stand-in Explorer's icon cells and its
// background.
constexpr COLORREF kLeftHalf = RGB(0xc8, 0x1e, 0x1e);
constexpr COLORREF kRightHalf = RGB(0x1e, 0x50, 0xc8);
constexpr COLORREF kIconCell = RGB(0x40, 0x40, 0x40);
constexpr COLORREF kBackground = RGB(0x80, 0x80, 0x80);

// The whole screen as the X server shows it, read through the desktop's device context.
class Screenshot {
public:
    Screenshot() : width_(::GetSystemMetrics(SM_CXSCREEN)), height_(::GetSystemMetrics(SM_CYSCREEN)) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width_, -height_, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        const win32::unique_memory_dc screen(::CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr));
        const win32::unique_memory_dc memory(::CreateCompatibleDC(screen.get()));
        void* bits = nullptr;
        const win32::unique_bitmap bitmap(::CreateDIBSection(memory.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (bits == nullptr) return;
        const win32::unique_selection selected(memory.get(), bitmap.get());
        ::BitBlt(memory.get(), 0, 0, width_, height_, screen.get(), 0, 0, SRCCOPY);
        ::GdiFlush();
        const auto* first = static_cast<const std::uint32_t*>(bits);
        pixels_.assign(first, first + static_cast<std::size_t>(width_) * height_);
    }

    COLORREF at(POINT point) const {
        if (pixels_.empty()) return CLR_INVALID;
        const std::uint32_t pixel = pixels_.at(static_cast<std::size_t>(point.y) * width_ + point.x);
        return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
    }

private:
    int width_;
    int height_;
    std::vector<std::uint32_t> pixels_;
};

// JPEG frames and the display's depth leave a colour a few steps off.
bool looks_like(COLORREF seen, COLORREF wanted) {
    return std::abs(GetRValue(seen) - GetRValue(wanted)) <= 24 && std::abs(GetGValue(seen) - GetGValue(wanted)) <= 24 &&
           std::abs(GetBValue(seen) - GetBValue(wanted)) <= 24;
}

// Waits until the screen shows each colour at its point; the last screenshot in any case.
Screenshot wait_for_screen(const std::vector<std::pair<POINT, COLORREF>>& expected) {
    std::optional<Screenshot> shot;
    e2e::wait_until(
        [&] {
            shot.emplace();
            for (const auto& [point, colour] : expected) {
                if (!looks_like(shot->at(point), colour)) return false;
            }
            return true;
        },
        20s);
    return *shot;
}

std::string describe(const Screenshot& shot, const std::vector<std::pair<POINT, COLORREF>>& expected) {
    std::string text;
    for (const auto& [point, colour] : expected) {
        const COLORREF seen = shot.at(point);
        char line[96];
        std::snprintf(line, sizeof line, "at %ld,%ld: seen #%02x%02x%02x, wanted #%02x%02x%02x\n", point.x, point.y,
                      GetRValue(seen), GetGValue(seen), GetBValue(seen), GetRValue(colour), GetGValue(colour),
                      GetBValue(colour));
        text += line;
    }
    return text;
}

TEST_F(StandInPlayerTest, ThePagePaintsWhereTheHostIsAndTakesPresses) {
    configure({"paint=on"});
    add_test_wallpaper("painted");
    start_player();
    ASSERT_TRUE(wait_for_log("wallpaper bridge ready", kLoad)) << logs();

    // In the preview window, brought to the front: the page's halves where the host is.
    const HWND host = ::FindWindowW(L"Tessary.Host", nullptr);
    ASSERT_NE(host, nullptr);
    ::SetForegroundWindow(host);
    RECT client{};
    ASSERT_TRUE(::GetClientRect(host, &client));
    const POINT inside_left{client.right / 4, client.bottom / 2};
    POINT left = inside_left;
    POINT right{client.right * 3 / 4, client.bottom / 2};
    ::ClientToScreen(host, &left);
    ::ClientToScreen(host, &right);
    const std::vector<std::pair<POINT, COLORREF>> preview = {{left, kLeftHalf}, {right, kRightHalf}};
    const Screenshot in_preview = wait_for_screen(preview);
    EXPECT_TRUE(looks_like(in_preview.at(left), kLeftHalf) && looks_like(in_preview.at(right), kRightHalf))
        << describe(in_preview, preview) << logs();

    // A press at the X server reaches the document where it was made.
    e2e::press_at(left.x, left.y);
    EXPECT_TRUE(wait_for_standin("page console log scene mousedown " + std::to_string(inside_left.x) + "," +
                                     std::to_string(inside_left.y) + " button=0 trusted=true",
                                 15s))
        << logs();

    // On the stand-in desktop the same page fills the primary monitor behind the icons
    // (points below the control window, which opens at the top left).
    e2e::ExplorerStandIn explorer(root_ / "explorer-report.txt");
    explorer.start({"--hang-on-request=" + std::to_string(kExplorerHang.count())});
    command(core::CMD_SET_DESKTOP);
    ASSERT_TRUE(wait_for_log("desktop mounted", kLoad)) << logs();
    const int w = ::GetSystemMetrics(SM_CXSCREEN);
    const int h = ::GetSystemMetrics(SM_CYSCREEN);
    const std::vector<std::pair<POINT, COLORREF>> desktop = {
        {{w / 4, h * 7 / 8}, kLeftHalf}, {{w * 3 / 4, h * 7 / 8}, kRightHalf}, {{8, 8}, kIconCell}};
    const Screenshot on_desktop = wait_for_screen(desktop);
    for (const auto& [point, colour] : desktop) {
        EXPECT_TRUE(looks_like(on_desktop.at(point), colour)) << describe(on_desktop, desktop) << logs();
    }

    // With Explorer's desktop thread hung, the exit waits for nothing of Explorer's: the
    // control window it destroys is the active window and hands activation to nobody.
    ::PostMessageW(window_, player::MSG_SHOW_CONTROL, 0, 0);
    ASSERT_TRUE(e2e::wait_until([] { return ::GetForegroundWindow() == ::FindWindowW(player::kPanelWindowClass, nullptr); },
                                10s));
    ::PostMessageW(explorer.handle("progman"), ::RegisterWindowMessageW(L"Tessary.StandIn.Hang"), 0, 0);
    ASSERT_TRUE(explorer.reported("hung", 10s));
    const ULONGLONG exit_started = ::GetTickCount64();
    stop_player();
    EXPECT_LT(::GetTickCount64() - exit_started, 8000u) << logs();
    // Explorer answering again paints its own background where the page was, not the
    // page's last frame.
    ASSERT_TRUE(explorer.reported("answering", kExplorerHang + 10s));
    const std::vector<std::pair<POINT, COLORREF>> vacated = {{desktop[0].first, kBackground}, {desktop[1].first, kBackground}};
    const Screenshot after_exit = wait_for_screen(vacated);
    EXPECT_TRUE(looks_like(after_exit.at(vacated[0].first), kBackground) && looks_like(after_exit.at(vacated[1].first), kBackground))
        << describe(after_exit, vacated) << logs();
}

}  // namespace
