#include <gtest/gtest.h>

#include "core/canvas/shapes.h"
#include "tests/core/canvas/guarded_surface.h"

namespace {

using canvas_test::GuardedSurface;
using canvas_test::kBlack;
using canvas_test::kWhitePixel;

constexpr std::uint32_t kBlackPixel = 0;
constexpr std::uint32_t kHalfPixel = 0x00808080;

TEST(FillCircle, CoverageFallsOffHalfAPixelEachSideOfTheRadius) {
    GuardedSurface canvas(12, 12);
    core::fill_circle(canvas.surface(), {5.5, 5.5}, 2, kBlack);
    EXPECT_EQ(canvas.at(5, 5), kBlackPixel);  // the centre, coverage capped at 1
    EXPECT_EQ(canvas.at(6, 5), kBlackPixel);
    EXPECT_EQ(canvas.at(7, 5), kHalfPixel);  // centre exactly on the radius
    EXPECT_EQ(canvas.at(5, 3), kHalfPixel);
    EXPECT_EQ(canvas.at(8, 5), kWhitePixel);
    EXPECT_EQ(canvas.at(7, 7), kWhitePixel);  // 2.83 away
    EXPECT_EQ(canvas.at(6, 6), kBlackPixel);  // 1.41 away
    EXPECT_EQ(canvas.changed_pixels(), 9 + 4 * 3);
    EXPECT_TRUE(canvas.guards_intact());
}

TEST(FillCircle, OutsideOrNegativeDrawsOnlyTheVisiblePart) {
    GuardedSurface canvas(6, 6);
    core::fill_circle(canvas.surface(), {0, 0}, 3, kBlack);
    core::fill_circle(canvas.surface(), {6, 6}, 1e9, kBlack);
    EXPECT_TRUE(canvas.guards_intact());

    GuardedSurface none(6, 6);
    core::fill_circle(none.surface(), {3, 3}, -2, kBlack);
    core::fill_circle(none.surface(), {-9, 3}, 2, kBlack);
    EXPECT_EQ(none.changed_pixels(), 0);
}

TEST(StrokeLine, WidthIsMeasuredAcrossTheLine) {
    GuardedSurface wide(12, 10);
    core::stroke_line(wide.surface(), {2, 5}, {8, 5}, 2, kBlack);
    EXPECT_EQ(wide.at(5, 4), kBlackPixel);
    EXPECT_EQ(wide.at(5, 5), kBlackPixel);
    EXPECT_EQ(wide.at(5, 3), kWhitePixel);
    EXPECT_EQ(wide.at(5, 6), kWhitePixel);

    GuardedSurface thin(12, 10);
    core::stroke_line(thin.surface(), {2, 5}, {8, 5}, 1, kBlack);
    EXPECT_EQ(thin.at(5, 4), kHalfPixel);
    EXPECT_EQ(thin.at(5, 5), kHalfPixel);

    GuardedSurface diagonal(12, 12);
    core::stroke_line(diagonal.surface(), {0, 0}, {10, 10}, 1, kBlack);
    EXPECT_EQ(diagonal.at(3, 3), kBlackPixel);
    EXPECT_EQ(diagonal.at(4, 3), 0x00B4B4B4u);  // 0.71 away: coverage 0.29
    EXPECT_EQ(diagonal.at(5, 3), kWhitePixel);
}

TEST(StrokeLine, EndsAreRoundCaps) {
    GuardedSurface canvas(12, 10);
    core::stroke_line(canvas.surface(), {2, 5}, {8, 5}, 2, kBlack);
    EXPECT_EQ(canvas.at(8, 4), 0x00353535u);  // 0.71 from the end point: coverage 0.79
    EXPECT_EQ(canvas.at(1, 4), 0x00353535u);
    EXPECT_EQ(canvas.at(9, 4), kWhitePixel);
    EXPECT_EQ(canvas.at(0, 5), kWhitePixel);
    EXPECT_TRUE(canvas.guards_intact());
}

TEST(StrokeLine, ASegmentOfNoLengthIsADot) {
    GuardedSurface canvas(12, 10);
    core::stroke_line(canvas.surface(), {5.5, 5.5}, {5.5, 5.5}, 2, kBlack);
    EXPECT_EQ(canvas.at(5, 5), kBlackPixel);
    EXPECT_EQ(canvas.at(6, 5), kHalfPixel);
    EXPECT_EQ(canvas.at(5, 4), kHalfPixel);
    EXPECT_EQ(canvas.changed_pixels(), 1 + 4 + 4);
}

TEST(StrokeLine, ALineLeavingTheCanvasNeverWritesOutsideIt) {
    GuardedSurface canvas(8, 6);
    core::stroke_line(canvas.surface(), {-50, -20}, {60, 30}, 5, kBlack);
    core::stroke_line(canvas.surface(), {4, -1e300}, {4, 1e300}, 1, kBlack);
    EXPECT_GT(canvas.changed_pixels(), 0);
    EXPECT_TRUE(canvas.guards_intact());
}

}  // namespace
