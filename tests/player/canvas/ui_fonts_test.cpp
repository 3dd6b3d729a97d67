#include "player/canvas/ui_fonts.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>

namespace {

LOGFONTW logfont(HFONT font) {
    LOGFONTW description{};
    EXPECT_EQ(::GetObjectW(font, sizeof(description), &description), static_cast<int>(sizeof(description)));
    return description;
}

void expect_heights(UINT dpi, const int (&heights)[7]) {
    const auto fonts = player::create_ui_fonts(dpi);
    ASSERT_TRUE(fonts) << fonts.error().chain();
    const int weights[] = {600, 600, 400, 600, 400, 400, 600};
    for (int number = 1; number <= 7; ++number) {
        const LOGFONTW description = logfont(fonts->font(number));
        EXPECT_EQ(description.lfHeight, heights[number - 1]) << "font " << number << " at " << dpi;
        EXPECT_EQ(description.lfWeight, weights[number - 1]) << "font " << number;
        EXPECT_EQ(description.lfCharSet, DEFAULT_CHARSET);
        EXPECT_EQ(description.lfQuality, CLEARTYPE_QUALITY);
        EXPECT_EQ(description.lfItalic, 0);
        EXPECT_EQ(std::wstring(description.lfFaceName), L"Microsoft YaHei UI");
    }
}

TEST(UiFonts, HeightsAndWeightsAt96Dpi) { expect_heights(96, {-20, -15, -14, -14, -13, -12, -12}); }

TEST(UiFonts, HeightsAt144DpiAreTruncatedTowardsZero) {
    expect_heights(144, {-30, -22, -21, -21, -19, -18, -18});
}

TEST(UiFonts, ADpiBelow96CountsAs96) {
    const auto fonts = player::create_ui_fonts(0);
    ASSERT_TRUE(fonts);
    EXPECT_EQ(fonts->dpi(), 96u);
    EXPECT_EQ(logfont(fonts->font(1)).lfHeight, -20);
}

TEST(UiFonts, SevenDistinctFontsNumberedOneToSeven) {
    const auto fonts = player::create_ui_fonts(120);
    ASSERT_TRUE(fonts);
    EXPECT_EQ(fonts->dpi(), 120u);
    std::set<HFONT> handles;
    for (int number = 1; number <= 7; ++number) handles.insert(fonts->font(number));
    EXPECT_EQ(handles.size(), 7u);
    EXPECT_EQ(handles.count(nullptr), 0u);
    EXPECT_EQ(fonts->font(0), nullptr);
    EXPECT_EQ(fonts->font(8), nullptr);
    EXPECT_EQ(fonts->font(-1), nullptr);
}

TEST(UiFonts, ReplacingTheSetDeletesTheOldFontsOnly) {
    auto first = player::create_ui_fonts(96);
    ASSERT_TRUE(first);
    const HFONT old_font = first->font(3);
    std::optional<player::UiFonts> current(std::move(*first));
    EXPECT_EQ(current->font(3), old_font);
    EXPECT_EQ(first->font(3), nullptr);  // moved from

    auto second = player::create_ui_fonts(144);
    ASSERT_TRUE(second);
    const HFONT new_font = second->font(3);
    *current = std::move(*second);
    EXPECT_EQ(current->font(3), new_font);
    EXPECT_EQ(current->dpi(), 144u);
    EXPECT_EQ(::GetObjectType(old_font), 0u);
    EXPECT_EQ(::GetObjectType(new_font), static_cast<DWORD>(OBJ_FONT));

    current.reset();
    EXPECT_EQ(::GetObjectType(new_font), 0u);
}

}  // namespace
