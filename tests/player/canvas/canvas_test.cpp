#include "player/canvas/canvas.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "core/canvas/shapes.h"
#include "player/canvas/canvas_text.h"
#include "player/canvas/ui_fonts.h"
#include "player/win32/gdi.h"

namespace {

constexpr std::uint32_t kSentinel = 0x00123456;

// A target outside the canvas code: a memory DC over a top-down 32-bit DIB whose pixels the
// test reads directly.
class TargetBitmap {
public:
    TargetBitmap(int width, int height) : width_(width), height_(height), dc_(::CreateCompatibleDC(nullptr)) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap_.reset(::CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        bits_ = static_cast<std::uint32_t*>(bits);
        selection_ = win32::unique_selection(dc_.get(), bitmap_.get());
        for (int i = 0; i < width * height; ++i) bits_[i] = kSentinel;
    }

    bool ready() const { return dc_ && bitmap_ && bits_ != nullptr && selection_; }
    HDC dc() const { return dc_.get(); }
    std::uint32_t at(int x, int y) const {
        ::GdiFlush();
        return bits_[y * width_ + x] & 0x00FFFFFF;
    }
    int width() const { return width_; }
    int height() const { return height_; }

private:
    int width_;
    int height_;
    win32::unique_memory_dc dc_;
    win32::unique_bitmap bitmap_;
    win32::unique_selection selection_;
    std::uint32_t* bits_ = nullptr;
};

TEST(Canvas, NoCanvasWithoutAPixelEachWay) {
    TargetBitmap target(8, 8);
    ASSERT_TRUE(target.ready());
    for (const auto& [width, height] : {std::pair{0, 10}, std::pair{10, 0}, std::pair{-5, 10}, std::pair{0, 0}}) {
        const auto canvas = player::create_canvas(target.dc(), width, height);
        ASSERT_FALSE(canvas);
        EXPECT_EQ(canvas.error().chain(), "canvas size is empty");
    }
    const auto huge = player::create_canvas(target.dc(), 100000, 100000);
    ASSERT_FALSE(huge);
    EXPECT_EQ(huge.error().chain(), "canvas size is too large");
}

TEST(Canvas, IsATopDownBitmapWithTheCanvasPixelLayoutAndTransparentText) {
    TargetBitmap target(4, 4);
    auto canvas = player::create_canvas(target.dc(), 30, 20);
    ASSERT_TRUE(canvas) << canvas.error().chain();
    EXPECT_EQ(canvas->width(), 30);
    EXPECT_EQ(canvas->height(), 20);
    EXPECT_EQ(canvas->surface().width(), 30);
    EXPECT_EQ(canvas->surface().height(), 20);
    EXPECT_EQ(::GetBkMode(canvas->dc()), TRANSPARENT);

    DIBSECTION section{};
    ASSERT_EQ(::GetObjectW(::GetCurrentObject(canvas->dc(), OBJ_BITMAP), sizeof(section), &section),
              static_cast<int>(sizeof(section)));
    EXPECT_EQ(section.dsBm.bmWidth, 30);
    EXPECT_EQ(section.dsBm.bmHeight, 20);
    EXPECT_EQ(section.dsBm.bmBitsPixel, 32);
    EXPECT_EQ(section.dsBm.bmWidthBytes, 30 * 4);  // no row padding

    // The first row of the array is the top row, and the word 0x00RRGGBB reads back as
    // that COLORREF.
    canvas->surface().row(0)[3] = core::pixel_from_color(RGB(0x11, 0x22, 0x33));
    canvas->surface().row(19)[29] = core::pixel_from_color(RGB(0xAA, 0xBB, 0xCC));
    EXPECT_EQ(::GetPixel(canvas->dc(), 3, 0), RGB(0x11, 0x22, 0x33));
    EXPECT_EQ(::GetPixel(canvas->dc(), 29, 19), RGB(0xAA, 0xBB, 0xCC));
}

TEST(Canvas, PresentingCopiesExactlyTheCanvasToItsPosition) {
    TargetBitmap target(40, 30);
    ASSERT_TRUE(target.ready());
    auto canvas = player::create_canvas(target.dc(), 20, 10);
    ASSERT_TRUE(canvas) << canvas.error().chain();
    core::clear_surface(canvas->surface(), RGB(0xFB, 0xF6, 0xEE));
    core::fill_round_rect(canvas->surface(), {2, 2, 8, 6}, 0, RGB(0xA6, 0x58, 0x1D));

    ASSERT_TRUE(player::present_canvas(std::move(*canvas), target.dc(), 5, 7));
    for (int y = 0; y < target.height(); ++y) {
        for (int x = 0; x < target.width(); ++x) {
            std::uint32_t expected = kSentinel;
            if (x >= 5 && x < 25 && y >= 7 && y < 17) {
                const bool in_rect = x >= 7 && x < 13 && y >= 9 && y < 13;
                expected = in_rect ? 0x00A6581D : 0x00FBF6EE;
            }
            ASSERT_EQ(target.at(x, y), expected) << x << "," << y;
        }
    }
}

TEST(Canvas, PresentingReleasesTheBitmapAndTheContext) {
    TargetBitmap target(8, 8);
    auto canvas = player::create_canvas(target.dc(), 8, 8);
    ASSERT_TRUE(canvas) << canvas.error().chain();
    const HDC dc = canvas->dc();
    const HGDIOBJ bitmap = ::GetCurrentObject(dc, OBJ_BITMAP);
    ASSERT_EQ(::GetObjectType(bitmap), static_cast<DWORD>(OBJ_BITMAP));

    ASSERT_TRUE(player::present_canvas(std::move(*canvas), target.dc(), 0, 0));
    EXPECT_EQ(::GetObjectType(bitmap), 0u);
    EXPECT_EQ(::GetObjectType(dc), 0u);
    EXPECT_TRUE(canvas->surface().empty());  // the moved-from shell keeps no pixels
}

// Wine's GetGuiResources always answers 0, so each paint's own handles are checked. Wine
// also deletes a bitmap that is still selected (Windows refuses and leaks it), so the order
// of restoring before deleting cannot be seen here; the member order of Canvas keeps it.
TEST(Canvas, EveryPaintReleasesItsHandlesPresentedOrDropped) {
    TargetBitmap target(64, 64);
    for (int i = 0; i < 50; ++i) {
        HDC dc = nullptr;
        HGDIOBJ bitmap = nullptr;
        {
            auto canvas = player::create_canvas(target.dc(), 64, 48);
            ASSERT_TRUE(canvas);
            dc = canvas->dc();
            bitmap = ::GetCurrentObject(dc, OBJ_BITMAP);
            if (i % 2 == 0) {
                ASSERT_TRUE(player::present_canvas(std::move(*canvas), target.dc(), 0, 0));
            }
        }
        EXPECT_EQ(::GetObjectType(bitmap), 0u) << i;
        EXPECT_EQ(::GetObjectType(dc), 0u) << i;
    }
}

TEST(Canvas, AMovedCanvasStillDrawsAndPresents) {
    TargetBitmap target(10, 10);
    auto created = player::create_canvas(target.dc(), 4, 4);
    ASSERT_TRUE(created);
    std::optional<player::Canvas> held;
    held.emplace(std::move(*created));
    EXPECT_TRUE(created->surface().empty());
    core::clear_surface(held->surface(), RGB(1, 2, 3));
    ASSERT_TRUE(player::present_canvas(std::move(*held), target.dc(), 6, 6));
    EXPECT_EQ(target.at(6, 6), 0x00010203u);
    EXPECT_EQ(target.at(9, 9), 0x00010203u);
    EXPECT_EQ(target.at(5, 5), kSentinel);
}

TEST(CanvasText, TextAfterShapesLandsOnTheSameBitmap) {
    TargetBitmap target(4, 4);
    auto fonts = player::create_ui_fonts(96);
    ASSERT_TRUE(fonts) << fonts.error().chain();
    auto canvas = player::create_canvas(target.dc(), 120, 40);
    ASSERT_TRUE(canvas);
    core::clear_surface(canvas->surface(), RGB(255, 255, 255));
    core::fill_round_rect(canvas->surface(), {0, 0, 60, 40}, 6, RGB(0xF4, 0xEA, 0xDB));
    const std::uint32_t shape_pixel = canvas->surface().pixel(30, 20);

    const auto extent = player::measure_text(canvas->dc(), fonts->font(3), "Tessary 壁纸");
    ASSERT_TRUE(extent) << extent.error().chain();
    EXPECT_GT(extent->cx, 20);
    EXPECT_GT(extent->cy, 8);

    const HGDIOBJ font_before = ::GetCurrentObject(canvas->dc(), OBJ_FONT);
    ASSERT_TRUE(player::draw_text(canvas->dc(), fonts->font(3), RGB(0x3A, 0x2A, 0x21), "WWWW 壁纸",
                                  RECT{0, 0, 120, 40}, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX));
    ::GdiFlush();
    EXPECT_EQ(::GetCurrentObject(canvas->dc(), OBJ_FONT), font_before);  // the font was put back

    int text_pixels = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 120; ++x) {
            const std::uint32_t pixel = canvas->surface().pixel(x, y) & 0x00FFFFFF;
            text_pixels += pixel != 0x00FFFFFF && pixel != shape_pixel;
        }
    }
    EXPECT_GT(text_pixels, 10);
    // Above the vertically centred line nothing changed.
    EXPECT_EQ(canvas->surface().pixel(30, 0) & 0x00FFFFFF, shape_pixel);
    EXPECT_EQ(canvas->surface().pixel(119, 0) & 0x00FFFFFF, 0x00FFFFFFu);
}

TEST(CanvasText, EmptyTextDrawsNothingAndBrokenTextIsRefused) {
    TargetBitmap target(4, 4);
    auto fonts = player::create_ui_fonts(96);
    ASSERT_TRUE(fonts);
    auto canvas = player::create_canvas(target.dc(), 20, 20);
    ASSERT_TRUE(canvas);
    core::clear_surface(canvas->surface(), RGB(255, 255, 255));
    EXPECT_TRUE(player::draw_text(canvas->dc(), fonts->font(3), RGB(0, 0, 0), "", RECT{0, 0, 20, 20}, 0));

    const auto broken = player::draw_text(canvas->dc(), fonts->font(3), RGB(0, 0, 0), "\xFF", RECT{0, 0, 20, 20}, 0);
    ASSERT_FALSE(broken);
    EXPECT_EQ(broken.error().message(), "text is not valid UTF-8");
    EXPECT_FALSE(player::measure_text(canvas->dc(), fonts->font(3), "\xC3"));
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x) ASSERT_EQ(canvas->surface().pixel(x, y) & 0x00FFFFFF, 0x00FFFFFFu);
    }
}

TEST(UniqueSelection, PutsBackWhatWasSelectedWhenDropped) {
    TargetBitmap target(4, 4);
    auto fonts = player::create_ui_fonts(96);
    ASSERT_TRUE(fonts);
    const HGDIOBJ original = ::GetCurrentObject(target.dc(), OBJ_FONT);
    {
        win32::unique_selection outer(target.dc(), fonts->font(1));
        ASSERT_TRUE(outer);
        EXPECT_EQ(::GetCurrentObject(target.dc(), OBJ_FONT), fonts->font(1));
        win32::unique_selection moved(std::move(outer));
        EXPECT_FALSE(outer);
        {
            win32::unique_selection inner(target.dc(), fonts->font(2));
            EXPECT_EQ(::GetCurrentObject(target.dc(), OBJ_FONT), fonts->font(2));
        }
        EXPECT_EQ(::GetCurrentObject(target.dc(), OBJ_FONT), fonts->font(1));
    }
    EXPECT_EQ(::GetCurrentObject(target.dc(), OBJ_FONT), original);

    win32::unique_selection failed(target.dc(), nullptr);
    EXPECT_FALSE(failed);
}

}  // namespace
