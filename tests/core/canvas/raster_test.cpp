#include "core/canvas/raster.h"
#include "core/canvas/shapes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "tests/core/canvas/guarded_surface.h"

namespace {

using canvas_test::kWhitePixel;
using core::rgb;

TEST(CanvasColor, ColorRefChannelsMoveIntoThePixelLayout) {
    EXPECT_EQ(rgb(0x12, 0x34, 0x56), 0x00563412u);
    EXPECT_EQ(core::hex_color(0xFBF6EE), rgb(0xFB, 0xF6, 0xEE));
    EXPECT_EQ(core::pixel_from_color(rgb(0x12, 0x34, 0x56)), 0x00123456u);
    EXPECT_EQ(core::pixel_from_color(0xFF000000u | rgb(1, 2, 3)), 0x00010203u);
    EXPECT_EQ(core::kShadowColor, rgb(74, 44, 20));
}

TEST(CanvasColor, HalfAndHalfMixRoundsHalfUp) {
    EXPECT_EQ(core::mix_half(core::hex_color(0xE3A256), core::hex_color(0xFFFDF9)), core::hex_color(0xF1D0A8));
    EXPECT_EQ(core::mix_half(rgb(0, 1, 255), rgb(0, 2, 255)), rgb(0, 2, 255));
}

TEST(CanvasBlend, NoCoverageLeavesThePixelAlone) {
    const std::uint32_t old_pixel = 0xFF123456;  // top byte never read, and untouched here
    EXPECT_EQ(core::blend_pixel(old_pixel, rgb(0, 0, 0), 0.0), old_pixel);
    EXPECT_EQ(core::blend_pixel(old_pixel, rgb(0, 0, 0), -0.5), old_pixel);
    EXPECT_EQ(core::blend_pixel(old_pixel, rgb(0, 0, 0), std::nan("")), old_pixel);
}

TEST(CanvasBlend, FullCoverageIsTheColourAndTheTopByteIsCleared) {
    EXPECT_EQ(core::blend_pixel(0xFF123456, rgb(0xAA, 0xBB, 0xCC), 1.0), 0x00AABBCCu);
    EXPECT_EQ(core::blend_pixel(0xFF123456, rgb(0xAA, 0xBB, 0xCC), 7.0), 0x00AABBCCu);
    EXPECT_EQ(core::blend_pixel(0xFF123456, rgb(0xAA, 0xBB, 0xCC), std::numeric_limits<double>::infinity()),
              0x00AABBCCu);
    EXPECT_EQ(core::blend_pixel(0xFF123456, rgb(0x12, 0x34, 0x56), 0.3), 0x00123456u);
}

TEST(CanvasBlend, EachChannelRoundsToTheNearestInteger) {
    // 255 + (74 - 255) x 0.5 = 164.5, 255 + (44 - 255) x 0.5 = 149.5, 255 + (20 - 255) x 0.5 = 137.5
    EXPECT_EQ(core::blend_pixel(kWhitePixel, core::kShadowColor, 0.5), 0x00A5968Au);
    // 0 + 255 x 0.25 = 63.75; 100 - 100 x 0.25 = 75; 200 - 200 x 0.25 = 150
    EXPECT_EQ(core::blend_pixel(0x000064C8, rgb(255, 0, 0), 0.25), 0x00404B96u);
    // 10 + 1 x 0.49 = 10.49 stays; 10 + 1 x 0.51 = 10.51 moves
    EXPECT_EQ(core::blend_pixel(0x000A0A0A, rgb(11, 11, 11), 0.49), 0x000A0A0Au);
    EXPECT_EQ(core::blend_pixel(0x000A0A0A, rgb(11, 11, 11), 0.51), 0x000B0B0Bu);
}

TEST(CanvasClipping, FloatToIntSaturatesAndNanIsZero) {
    constexpr int kMax = std::numeric_limits<int>::max();
    constexpr int kMin = std::numeric_limits<int>::min();
    EXPECT_EQ(core::saturate_to_int(std::nan("")), 0);
    EXPECT_EQ(core::saturate_to_int(1e300), kMax);
    EXPECT_EQ(core::saturate_to_int(-1e300), kMin);
    EXPECT_EQ(core::saturate_to_int(std::numeric_limits<double>::infinity()), kMax);
    EXPECT_EQ(core::saturate_to_int(-std::numeric_limits<double>::infinity()), kMin);
    EXPECT_EQ(core::saturate_to_int(2147483648.0), kMax);
    EXPECT_EQ(core::saturate_to_int(-7.0), -7);
}

TEST(CanvasClipping, TheBoxIsWidenedAndClampedToTheSurface) {
    canvas_test::GuardedSurface canvas(10, 8);
    const core::PixelBox inside = core::pixel_box(canvas.surface(), {2.5, 3.0, 5.2, 4.0}, 1.0);
    EXPECT_EQ(inside.left, 1);
    EXPECT_EQ(inside.top, 2);
    EXPECT_EQ(inside.right, 7);
    EXPECT_EQ(inside.bottom, 5);

    const core::PixelBox clamped = core::pixel_box(canvas.surface(), {-40, -3, 400, 7.5}, 1.0);
    EXPECT_EQ(clamped.left, 0);
    EXPECT_EQ(clamped.top, 0);
    EXPECT_EQ(clamped.right, 10);
    EXPECT_EQ(clamped.bottom, 8);

    EXPECT_TRUE(core::pixel_box(canvas.surface(), {11, 0, 20, 8}, 1.0).empty());
    EXPECT_TRUE(core::pixel_box(canvas.surface(), {-20, 0, -2, 8}, 1.0).empty());
    EXPECT_TRUE(core::pixel_box(canvas.surface(), {std::nan(""), 0, std::nan(""), 8}, 1.0).empty());
}

TEST(CanvasSurface, DimensionsTheArrayCannotHoldGiveAnEmptySurface) {
    std::vector<std::uint32_t> words(12, 7);
    EXPECT_EQ(core::PixelSurface(words, 4, 3).width(), 4);
    EXPECT_TRUE(core::PixelSurface(words, 4, 4).empty());
    EXPECT_TRUE(core::PixelSurface(words, -4, -3).empty());
    EXPECT_TRUE(core::PixelSurface(words, 0, 3).empty());
    EXPECT_TRUE(core::PixelSurface({}, 1, 1).empty());

    core::PixelSurface too_small(words, 65536, 65536);
    EXPECT_EQ(too_small.width(), 0);
    EXPECT_EQ(too_small.height(), 0);
    core::clear_surface(too_small, canvas_test::kBlack);
    core::fill_round_rect(too_small, {0, 0, 10, 10}, 0, canvas_test::kBlack);
    EXPECT_EQ(words, std::vector<std::uint32_t>(12, 7));
}

TEST(CanvasSurface, ClearWritesEveryPixelAndNothingElse) {
    canvas_test::GuardedSurface canvas(5, 3);
    core::clear_surface(canvas.surface(), rgb(1, 2, 3));
    for (const std::uint32_t pixel : canvas.pixels()) EXPECT_EQ(pixel, 0x00010203u);
    EXPECT_TRUE(canvas.guards_intact());
}

}  // namespace
