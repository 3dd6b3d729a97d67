#include "core/canvas/ui_font_table.h"

#include <gtest/gtest.h>

namespace {

TEST(UiFontTable, SizesAndWeightsOfTheSevenFonts) {
    const int sizes[] = {20, 15, 14, 14, 13, 12, 12};
    const int weights[] = {600, 600, 400, 600, 400, 400, 600};
    for (int i = 0; i < core::kUiFontCount; ++i) {
        EXPECT_EQ(core::kUiFontStyles[static_cast<std::size_t>(i)].size, sizes[i]) << "font " << i + 1;
        EXPECT_EQ(core::kUiFontStyles[static_cast<std::size_t>(i)].weight, weights[i]) << "font " << i + 1;
    }
}

TEST(UiFontTable, HeightIsNegativeAndTruncatedTowardsZero) {
    EXPECT_EQ(core::ui_font_height(20, 96), -20);
    EXPECT_EQ(core::ui_font_height(13, 144), -19);  // 19.5
    EXPECT_EQ(core::ui_font_height(15, 120), -18);  // 18.75
    EXPECT_EQ(core::ui_font_height(12, 192), -24);
    EXPECT_EQ(core::ui_font_height(14, 168), -24);  // 24.5
    EXPECT_EQ(core::ui_font_height(14, 0), -14);    // below 96 counts as 96
    EXPECT_EQ(core::ui_font_height(14, 72), -14);
}

}  // namespace
