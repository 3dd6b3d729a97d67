// The page on the screen: the stand-in runtime paints its frames where the program put its
// host, in the preview window and behind the stand-in Explorer's icons, and a press made at
// the X server reaches the page's own document.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <functional>
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
// The "dark-overflow" test page, larger than the screen both ways.
constexpr COLORREF kDarkPage = RGB(0x14, 0x1c, 0x24);

// The screen, or a part of it, as the X server shows it, read through the desktop's
// device context.
class Screenshot {
public:
    Screenshot() : Screenshot(RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)}) {}
    explicit Screenshot(const RECT& part)
        : origin_{part.left, part.top}, width_(part.right - part.left), height_(part.bottom - part.top) {
        if (width_ <= 0 || height_ <= 0) return;
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width_, -height_, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        const win32::unique_memory_dc screen(::CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr));
        const win32::unique_memory_dc memory(::CreateCompatibleDC(screen.get()));
        void* bits = nullptr;
        const win32::unique_bitmap bitmap(::CreateDIBSection(memory.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (bits == nullptr) return;
        const win32::unique_selection selected(memory.get(), bitmap.get());
        ::BitBlt(memory.get(), 0, 0, width_, height_, screen.get(), origin_.x, origin_.y, SRCCOPY);
        ::GdiFlush();
        const auto* first = static_cast<const std::uint32_t*>(bits);
        pixels_.assign(first, first + static_cast<std::size_t>(width_) * height_);
    }

    // A point in screen coordinates.
    COLORREF at(POINT point) const {
        const LONG x = point.x - origin_.x;
        const LONG y = point.y - origin_.y;
        if (pixels_.empty() || x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
        const std::uint32_t pixel = pixels_.at(static_cast<std::size_t>(y) * width_ + x);
        return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
    }

private:
    POINT origin_;
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

// The share of white points (every 8th pixel) in a band across the middle of the area
// (screen coordinates), leaving out the control window: a blank view, as the runtime shows
// one by default. A band, so that a frame takes a few milliseconds, not a whole screen's.
double white_share(const RECT& area) {
    RECT band = area;
    band.left = std::max(0L, band.left);
    band.right = std::min<LONG>(band.right, ::GetSystemMetrics(SM_CXSCREEN));
    band.top = std::max(0L, (area.top + area.bottom) / 2 - 32);
    band.bottom = std::min<LONG>(band.top + 64, ::GetSystemMetrics(SM_CYSCREEN));
    RECT panel{};
    const HWND panel_window = ::FindWindowW(L"Tessary.Panel", nullptr);
    if (panel_window != nullptr && ::IsWindowVisible(panel_window)) ::GetWindowRect(panel_window, &panel);
    const Screenshot shot(band);
    int seen = 0;
    int white = 0;
    for (LONG y = band.top; y < band.bottom; y += 8) {
        for (LONG x = band.left; x < band.right; x += 8) {
            if (::PtInRect(&panel, POINT{x, y})) continue;
            const COLORREF colour = shot.at(POINT{x, y});
            if (colour == CLR_INVALID) continue;
            ++seen;
            if (GetRValue(colour) >= 0xE6 && GetGValue(colour) >= 0xE6 && GetBValue(colour) >= 0xE6) ++white;
        }
    }
    return seen == 0 ? 0.0 : static_cast<double>(white) / seen;
}

// Frames of the host's area, one every few tens of milliseconds, from now until 1.5 seconds
// after the new page is ready: the largest white share of any, and how many were taken.
std::pair<double, int> whitest_frame(const std::function<bool()>& new_page_ready,
                                     const std::function<std::optional<RECT>()>& host_area) {
    std::pair<double, int> strip{0.0, 0};
    using clock = std::chrono::steady_clock;
    const auto start = clock::now();
    std::optional<clock::time_point> ready;
    while (clock::now() - start < 60s && !(ready && clock::now() - *ready > 1500ms)) {
        if (const auto area = host_area()) strip = {std::max(strip.first, white_share(*area)), strip.second + 1};
        if (!ready && new_page_ready()) ready = clock::now();
        ::Sleep(10);
    }
    return strip;
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

// Switching wallpapers never shows the view's blank background, in the preview or on the
// desktop: a strip of frames across each switch, and no frame whose host area is mostly
// white. The page larger than the screen shows no scrollbars.
TEST_F(StandInPlayerTest, SwitchingShowsNoBlankViewAndNoScrollbars) {
    configure({"paint=on"});
    add_test_wallpaper("dark-overflow");
    add_test_wallpaper("painted");
    start_player();
    ASSERT_TRUE(wait_for_log("wallpaper bridge ready", kLoad)) << logs();
    const auto ready_after = [this](std::size_t from) {
        return [this, from] { return log_text().find("wallpaper bridge ready", from) != std::string::npos; };
    };

    // To the painted page in the preview, the host wherever it is while it is shown.
    std::size_t from = log_text().size();
    auto to_painted = start({"--select-wallpaper", "painted"});
    const auto preview = whitest_frame(ready_after(from), []() -> std::optional<RECT> {
        const HWND shown = ::FindWindowW(L"Tessary.Host", nullptr);
        RECT area{};
        if (shown == nullptr || !::IsWindowVisible(shown) || !::GetClientRect(shown, &area)) return std::nullopt;
        ::MapWindowPoints(shown, nullptr, reinterpret_cast<POINT*>(&area), 2);
        return area;
    });
    EXPECT_EQ(to_painted.wait(kLoad), 0u);
    EXPECT_GT(preview.second, 10);
    EXPECT_LT(preview.first, 0.5) << "frames " << preview.second << "\n" << logs();

    // On the stand-in desktop, back to the dark page: the whole primary monitor. Its
    // colour then reaches the right and bottom edges, where scrollbars would be.
    e2e::ExplorerStandIn explorer(root_ / "explorer-report.txt");
    explorer.start({});
    command(core::CMD_SET_DESKTOP);
    ASSERT_TRUE(wait_for_log("desktop mounted", kLoad)) << logs();
    const int w = ::GetSystemMetrics(SM_CXSCREEN);
    const int h = ::GetSystemMetrics(SM_CYSCREEN);
    wait_for_screen({{{w / 4, h * 7 / 8}, kLeftHalf}});
    from = log_text().size();
    auto to_dark = start({"--select-wallpaper", "dark-overflow"});
    const auto desktop = whitest_frame(ready_after(from), [w, h] { return std::optional<RECT>(RECT{0, 0, w, h}); });
    EXPECT_EQ(to_dark.wait(kLoad), 0u);
    EXPECT_GT(desktop.second, 10);
    EXPECT_LT(desktop.first, 0.5) << "frames " << desktop.second << "\n" << logs();
    const std::vector<std::pair<POINT, COLORREF>> edges = {{{w - 5, h * 7 / 8}, kDarkPage},
                                                           {{w * 3 / 4, h - 5}, kDarkPage}};
    const Screenshot on_desktop = wait_for_screen(edges);
    for (const auto& [point, colour] : edges) {
        EXPECT_TRUE(looks_like(on_desktop.at(point), colour)) << describe(on_desktop, edges) << logs();
    }
}

}  // namespace
