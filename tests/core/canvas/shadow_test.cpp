#include <gtest/gtest.h>

#include <cmath>

#include "core/canvas/shapes.h"
#include "tests/core/canvas/guarded_surface.h"

namespace {

using canvas_test::GuardedSurface;
using canvas_test::kWhitePixel;

// Tall enough that row 10 only measures the horizontal distance to the left edge at 10.5:
// the centre of column x lies 10 - x pixels outside it.
constexpr core::RectF kTallRect{10.5, -100, 30.5, 120};
constexpr double kBlur = 5;
constexpr std::uint32_t kShadowPixel = 0x004A2C14;

TEST(DropShadow, ZeroOpacityChangesNothing) {
    GuardedSurface canvas(40, 20);
    core::drop_shadow(canvas.surface(), kTallRect, 4, kBlur, 0);
    core::drop_shadow(canvas.surface(), kTallRect, 4, kBlur, -0.5);
    core::drop_shadow(canvas.surface(), kTallRect, 4, kBlur, std::nan(""));
    EXPECT_EQ(canvas.changed_pixels(), 0);
}

TEST(DropShadow, FullOpacityAtBlurInsideNothingAtBlurOutside) {
    GuardedSurface canvas(40, 20);
    core::drop_shadow(canvas.surface(), kTallRect, 0, kBlur, 1);
    EXPECT_EQ(canvas.at(4, 10), kWhitePixel);    // outside the widened box
    EXPECT_EQ(canvas.at(5, 10), kWhitePixel);    // exactly b outside: coverage 0
    EXPECT_EQ(canvas.at(10, 10), 0x00A5968Au);   // on the edge: half
    EXPECT_EQ(canvas.at(15, 10), kShadowPixel);  // exactly b inside: the full opacity
    EXPECT_EQ(canvas.at(20, 10), kShadowPixel);
    for (int x = 6; x < 15; ++x) {
        EXPECT_GT(canvas.at(x, 10) >> 16, canvas.at(x + 1, 10) >> 16) << "smooth fade at column " << x;
    }
    EXPECT_TRUE(canvas.guards_intact());
}

TEST(DropShadow, CoverageIsScaledByTheOpacityAndCappedAtOne) {
    GuardedSurface half(40, 20);
    core::drop_shadow(half.surface(), kTallRect, 0, kBlur, 0.5);
    EXPECT_EQ(half.at(5, 10), kWhitePixel);
    EXPECT_EQ(half.at(10, 10), 0x00D2CAC4u);  // 0.25: 209.75, 202.25, 196.25
    EXPECT_EQ(half.at(15, 10), 0x00A5968Au);  // 0.5 at b inside
    EXPECT_EQ(half.at(25, 10), 0x00A5968Au);

    GuardedSurface strong(40, 20);
    core::drop_shadow(strong.surface(), kTallRect, 0, kBlur, 2);
    EXPECT_EQ(strong.at(10, 10), kShadowPixel);
    EXPECT_EQ(strong.at(5, 10), kWhitePixel);
}

TEST(DropShadow, TheBoxIsWidenedByTheBlurAndClampedToTheCanvas) {
    GuardedSurface canvas(20, 12);
    core::drop_shadow(canvas.surface(), {-10, -10, 30, 22}, 8, 12, 1);
    EXPECT_EQ(canvas.at(10, 6), kShadowPixel);
    EXPECT_TRUE(canvas.guards_intact());

    GuardedSurface corner(20, 12);
    core::drop_shadow(corner.surface(), {14, 8, 26, 18}, 4, 3, 0.3);
    EXPECT_EQ(corner.at(10, 6), kWhitePixel);  // more than b away
    EXPECT_NE(corner.at(16, 10), kWhitePixel);
    EXPECT_TRUE(corner.guards_intact());
}

TEST(DropShadow, ABlurOfZeroOrLessGivesAHardEdge) {
    for (const double blur : {0.0, -2.0, std::nan("")}) {
        GuardedSurface canvas(40, 20);
        core::drop_shadow(canvas.surface(), kTallRect, 0, blur, 1);
        EXPECT_EQ(canvas.at(9, 10), kWhitePixel) << blur;
        EXPECT_EQ(canvas.at(10, 10), 0x00A5968Au) << blur;
        EXPECT_EQ(canvas.at(11, 10), kShadowPixel) << blur;
        EXPECT_TRUE(canvas.guards_intact());
    }
}

}  // namespace
