#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/canvas/shapes.h"
#include "tests/core/canvas/guarded_surface.h"

namespace {

using canvas_test::GuardedSurface;
using canvas_test::kBlack;
using canvas_test::kWhitePixel;

constexpr std::uint32_t kBlackPixel = 0;

bool inside(int x, int y, int left, int top, int right, int bottom) {
    return x >= left && x < right && y >= top && y < bottom;
}

TEST(RoundRectDistance, NegativeInsideZeroOnTheEdgePositiveOutside) {
    const core::RectF rect{0, 0, 20, 10};
    EXPECT_DOUBLE_EQ(core::round_rect_distance(rect, 0, {10, 5}), -5);
    EXPECT_DOUBLE_EQ(core::round_rect_distance(rect, 0, {0, 5}), 0);
    EXPECT_DOUBLE_EQ(core::round_rect_distance(rect, 0, {-3, 5}), 3);
    EXPECT_DOUBLE_EQ(core::round_rect_distance(rect, 0, {23, 14}), 5);
    // A rounded corner: the corner's own point lies outside by r x (sqrt 2 - 1).
    EXPECT_NEAR(core::round_rect_distance(rect, 4, {0, 0}), 4 * (std::sqrt(2.0) - 1), 1e-12);
    EXPECT_DOUBLE_EQ(core::round_rect_distance(rect, -4, {0, 0}), 0);
}

TEST(FillRoundRect, RadiusIsLimitedToHalfTheSmallerSide) {
    GuardedSurface large_radius(30, 20);
    GuardedSurface half_side(30, 20);
    GuardedSurface smaller(30, 20);
    core::fill_round_rect(large_radius.surface(), {5, 5, 25, 15}, 30, kBlack);
    core::fill_round_rect(half_side.surface(), {5, 5, 25, 15}, 5, kBlack);
    core::fill_round_rect(smaller.surface(), {5, 5, 25, 15}, 4, kBlack);
    EXPECT_EQ(large_radius.pixels(), half_side.pixels());
    EXPECT_NE(large_radius.pixels(), smaller.pixels());
    // The ends are half circles: the corner pixel stays white, the middle of each end is full.
    EXPECT_EQ(large_radius.at(5, 5), kWhitePixel);
    EXPECT_EQ(large_radius.at(6, 10), kBlackPixel);
}

TEST(FillRoundRect, IntegerEdgesWithRadiusZeroCoverWholePixelsExactly) {
    GuardedSurface canvas(12, 10);
    core::fill_round_rect(canvas.surface(), {2, 3, 9, 7}, 0, kBlack);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 12; ++x) {
            EXPECT_EQ(canvas.at(x, y), inside(x, y, 2, 3, 9, 7) ? kBlackPixel : kWhitePixel) << x << "," << y;
        }
    }
    EXPECT_TRUE(canvas.guards_intact());
}

TEST(FillRoundRect, EdgesBetweenPixelCentresAreAntiAliased) {
    GuardedSurface canvas(12, 10);
    // Left edge through the centres of column 2, right edge a quarter into column 8.
    core::fill_round_rect(canvas.surface(), {2.5, 3, 8.25, 7}, 0, kBlack);
    EXPECT_EQ(canvas.at(1, 4), kWhitePixel);
    EXPECT_EQ(canvas.at(2, 4), 0x00808080u);  // coverage 0.5: 127.5 rounds to 128
    EXPECT_EQ(canvas.at(3, 4), kBlackPixel);
    EXPECT_EQ(canvas.at(7, 4), kBlackPixel);
    EXPECT_EQ(canvas.at(8, 4), 0x00BFBFBFu);  // coverage 0.25: 191.25 rounds to 191
    EXPECT_EQ(canvas.at(9, 4), kWhitePixel);
    EXPECT_EQ(canvas.changed_pixels(), 7 * 4);
}

TEST(FillRoundRect, OnlyTheVisiblePartOfARectOutsideTheCanvasIsDrawn) {
    GuardedSurface partly(8, 6);
    core::fill_round_rect(partly.surface(), {-5, -5, 3, 2}, 0, kBlack);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 8; ++x) EXPECT_EQ(partly.at(x, y), inside(x, y, 0, 0, 3, 2) ? kBlackPixel : kWhitePixel);
    }
    EXPECT_TRUE(partly.guards_intact());

    GuardedSurface bottom_right(8, 6);
    core::fill_round_rect(bottom_right.surface(), {6.5, 4.5, 100, 100}, 0, kBlack);
    EXPECT_EQ(bottom_right.at(6, 4), 0x00808080u);
    EXPECT_EQ(bottom_right.at(7, 5), kBlackPixel);
    EXPECT_EQ(bottom_right.changed_pixels(), 4);
    EXPECT_TRUE(bottom_right.guards_intact());

    GuardedSurface outside(8, 6);
    core::fill_round_rect(outside.surface(), {9, 0, 20, 6}, 0, kBlack);
    core::fill_round_rect(outside.surface(), {0, -9, 8, -1}, 0, kBlack);
    core::fill_round_rect(outside.surface(), {-30, 7, -10, 9}, 3, kBlack);
    EXPECT_EQ(outside.changed_pixels(), 0);
    EXPECT_TRUE(outside.guards_intact());
}

TEST(FillRoundRect, HugeInfiniteOrNanGeometryStaysInsideTheArray) {
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    GuardedSurface huge(8, 6);
    core::fill_round_rect(huge.surface(), {-1e300, -1e300, 1e300, 1e300}, 0, kBlack);
    EXPECT_EQ(huge.changed_pixels(), 8 * 6);
    EXPECT_TRUE(huge.guards_intact());

    GuardedSurface odd(8, 6);
    core::fill_round_rect(odd.surface(), {std::nan(""), 0, 4, 4}, 0, kBlack);
    core::fill_round_rect(odd.surface(), {0, 0, 4, 4}, std::nan(""), kBlack);
    core::fill_round_rect(odd.surface(), {-kInfinity, 0, kInfinity, 4}, 1, kBlack);
    core::stroke_round_rect(odd.surface(), {0, 0, 4, 4}, 0, std::nan(""), kBlack);
    core::fill_round_rect(odd.surface(), {6, 4, 2, 1}, 0, kBlack);  // inverted
    EXPECT_TRUE(odd.guards_intact());
    // A NaN radius counts as none, like a negative one.
    EXPECT_EQ(odd.at(0, 0), kBlackPixel);
}

TEST(StrokeRoundRect, WidthOneOnIntegerEdgesDarkensExactlyTheOutermostRing) {
    GuardedSurface canvas(12, 10);
    core::stroke_round_rect(canvas.surface(), {2, 2, 10, 8}, 0, 1, kBlack);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 12; ++x) {
            const bool ring = inside(x, y, 2, 2, 10, 8) && !inside(x, y, 3, 3, 9, 7);
            EXPECT_EQ(canvas.at(x, y), ring ? kBlackPixel : kWhitePixel) << x << "," << y;
        }
    }
    EXPECT_TRUE(canvas.guards_intact());
}

TEST(StrokeRoundRect, TheStrokeGrowsInwardsAndLeavesTheMiddle) {
    GuardedSurface canvas(12, 10);
    core::stroke_round_rect(canvas.surface(), {2, 2, 10, 8}, 0, 2, kBlack);
    EXPECT_EQ(canvas.at(3, 3), kBlackPixel);
    EXPECT_EQ(canvas.at(4, 4), kWhitePixel);
    EXPECT_EQ(canvas.at(1, 1), kWhitePixel);
    EXPECT_EQ(canvas.changed_pixels(), 8 * 6 - 4 * 2);

    GuardedSurface half(12, 10);
    core::stroke_round_rect(half.surface(), {2, 2, 10, 8}, 0, 0.5, kBlack);
    EXPECT_EQ(half.at(2, 5), 0x00808080u);
    EXPECT_EQ(half.at(3, 5), kWhitePixel);
}

TEST(StrokeRoundRect, NoWidthDrawsNothing) {
    GuardedSurface canvas(12, 10);
    core::stroke_round_rect(canvas.surface(), {2, 2, 10, 8}, 2, 0, kBlack);
    core::stroke_round_rect(canvas.surface(), {2, 2, 10, 8}, 2, -3, kBlack);
    EXPECT_EQ(canvas.changed_pixels(), 0);
}

}  // namespace
