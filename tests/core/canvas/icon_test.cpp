#include "core/canvas/icons.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/core/canvas/guarded_surface.h"

namespace {

using canvas_test::GuardedSurface;
using canvas_test::kBlack;
using canvas_test::kWhitePixel;
using core::IconKind;

constexpr IconKind kAllKinds[] = {IconKind::pause,  IconKind::play,      IconKind::window_preview,
                                  IconKind::exit,   IconKind::waste_bin, IconKind::stroke};

struct Placement {
    core::PointF position;
    double size;
};

TEST(DrawIcon, EveryKindDrawsInsideItsBoxAndNothingOutside) {
    const Placement placements[] = {{{12, 12}, 16}, {{12.3, 11.6}, 24}, {{10, 10}, 12}, {{9.5, 9.5}, 20}};
    for (const IconKind kind : kAllKinds) {
        for (const Placement& placement : placements) {
            GuardedSurface canvas(48, 48);
            core::draw_icon(canvas.surface(), kind, placement.position, placement.size, kBlack);
            const int left = static_cast<int>(std::floor(placement.position.x));
            const int top = static_cast<int>(std::floor(placement.position.y));
            const int right = static_cast<int>(std::ceil(placement.position.x + placement.size));
            const int bottom = static_cast<int>(std::ceil(placement.position.y + placement.size));
            int inside = 0;
            for (int y = 0; y < 48; ++y) {
                for (int x = 0; x < 48; ++x) {
                    if (canvas.at(x, y) == kWhitePixel) continue;
                    const bool in_box = x >= left && x < right && y >= top && y < bottom;
                    EXPECT_TRUE(in_box) << "kind " << static_cast<int>(kind) << " size " << placement.size
                                        << " drew at " << x << "," << y;
                    inside += in_box;
                }
            }
            // Every glyph covers a fair share of its box.
            EXPECT_GT(inside, placement.size * placement.size / 20) << "kind " << static_cast<int>(kind);
            EXPECT_TRUE(canvas.guards_intact());
        }
    }
}

TEST(DrawIcon, UnknownKindsAndEmptySizesDrawNothing) {
    GuardedSurface canvas(32, 32);
    core::draw_icon(canvas.surface(), static_cast<IconKind>(0), {8, 8}, 16, kBlack);
    core::draw_icon(canvas.surface(), static_cast<IconKind>(7), {8, 8}, 16, kBlack);
    for (const IconKind kind : kAllKinds) {
        core::draw_icon(canvas.surface(), kind, {8, 8}, 0, kBlack);
        core::draw_icon(canvas.surface(), kind, {8, 8}, -16, kBlack);
        core::draw_icon(canvas.surface(), kind, {8, 8}, std::nan(""), kBlack);
    }
    EXPECT_EQ(canvas.changed_pixels(), 0);
}

TEST(DrawIcon, AnIconPartlyOffTheCanvasIsClipped) {
    for (const IconKind kind : kAllKinds) {
        GuardedSurface canvas(16, 16);
        core::draw_icon(canvas.surface(), kind, {-8, 8}, 16, kBlack);
        core::draw_icon(canvas.surface(), kind, {8, -8}, 16, kBlack);
        EXPECT_TRUE(canvas.guards_intact()) << static_cast<int>(kind);
    }
}

TEST(DrawIcon, StrokesAreOneAndAHalfUnitsWideButAtLeastOnePointTwoPixels) {
    GuardedSurface full(16, 16);
    core::draw_icon(full.surface(), IconKind::stroke, {0, 0}, 16, kBlack);
    // Width 1.5 across y = 8: rows 7 and 8 are 0.5 from the middle, coverage 0.75.
    EXPECT_EQ(full.at(8, 7), 0x00404040u);
    EXPECT_EQ(full.at(8, 8), 0x00404040u);
    EXPECT_EQ(full.at(8, 6), kWhitePixel);
    EXPECT_EQ(full.at(8, 9), kWhitePixel);

    GuardedSurface small(8, 8);
    core::draw_icon(small.surface(), IconKind::stroke, {0, 0}, 8, kBlack);
    // 1.5 x 8 / 16 = 0.75 is below the minimum: width 1.2 across y = 4, coverage 0.6.
    EXPECT_EQ(small.at(4, 3), 0x00666666u);
    EXPECT_EQ(small.at(4, 4), 0x00666666u);
    EXPECT_EQ(small.at(4, 2), kWhitePixel);
}

TEST(DrawIcon, TheWindowPreviewIsAnOutlineWithRoundedCorners) {
    GuardedSurface canvas(16, 16);
    core::draw_icon(canvas.surface(), IconKind::window_preview, {0, 0}, 16, kBlack);
    EXPECT_EQ(canvas.at(8, 3), 0u);  // inside the top stroke
    EXPECT_EQ(canvas.at(3, 8), 0u);
    EXPECT_EQ(canvas.at(8, 8), kWhitePixel);  // hollow
    EXPECT_EQ(canvas.at(2, 2), kWhitePixel);  // the corner is cut by its radius of two units
}

TEST(DrawIcon, PauseHasTwoBarsAndPlayPointsRight) {
    GuardedSurface pause(16, 16);
    core::draw_icon(pause.surface(), IconKind::pause, {0, 0}, 16, kBlack);
    EXPECT_EQ(pause.at(5, 8), 0u);
    EXPECT_EQ(pause.at(10, 8), 0u);
    EXPECT_EQ(pause.at(7, 8), kWhitePixel);
    EXPECT_EQ(pause.at(8, 8), kWhitePixel);

    GuardedSurface play(16, 16);
    core::draw_icon(play.surface(), IconKind::play, {0, 0}, 16, kBlack);
    EXPECT_EQ(play.at(6, 5), 0u);  // the wide end on the left
    EXPECT_EQ(play.at(6, 10), 0u);
    EXPECT_EQ(play.at(11, 8), 0u);  // the point on the right
    EXPECT_EQ(play.at(12, 4), kWhitePixel);
    EXPECT_EQ(play.at(3, 8), kWhitePixel);
}

// Pixel (x, y) mirrored about the middle of a 16-pixel box, across the vertical axis or
// the horizontal one.
bool mirrored(const GuardedSurface& canvas, bool across_vertical_axis) {
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const std::uint32_t other = across_vertical_axis ? canvas.at(15 - x, y) : canvas.at(x, 15 - y);
            if (canvas.at(x, y) != other) return false;
        }
    }
    return true;
}

TEST(DrawIcon, GlyphsAreSymmetricWhereTheirDesignIs) {
    for (const IconKind kind : {IconKind::pause, IconKind::window_preview, IconKind::waste_bin, IconKind::stroke}) {
        GuardedSurface canvas(16, 16);
        core::draw_icon(canvas.surface(), kind, {0, 0}, 16, kBlack);
        EXPECT_TRUE(mirrored(canvas, true)) << static_cast<int>(kind);
    }
    for (const IconKind kind : {IconKind::play, IconKind::window_preview, IconKind::exit, IconKind::stroke}) {
        GuardedSurface canvas(16, 16);
        core::draw_icon(canvas.surface(), kind, {0, 0}, 16, kBlack);
        EXPECT_TRUE(mirrored(canvas, false)) << static_cast<int>(kind);
    }
}

TEST(DrawIcon, TheWasteBinHasALidAboveAnOpenBody) {
    GuardedSurface canvas(32, 32);
    core::draw_icon(canvas.surface(), IconKind::waste_bin, {0, 0}, 32, kBlack);
    EXPECT_EQ(canvas.at(4, 8), 0u);            // the lid reaches past the body
    EXPECT_EQ(canvas.at(4, 20), kWhitePixel);  // the body does not
    EXPECT_EQ(canvas.at(7, 20), 0u);           // the body's side
    EXPECT_EQ(canvas.at(12, 19), 0u);          // a short stroke inside
    EXPECT_EQ(canvas.at(15, 19), kWhitePixel);
    EXPECT_EQ(canvas.at(16, 19), kWhitePixel);
    EXPECT_EQ(canvas.at(19, 19), 0u);
}

}  // namespace
