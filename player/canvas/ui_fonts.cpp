#include "player/canvas/ui_fonts.h"

#include <string>

namespace player {

namespace {

constexpr const wchar_t* kUiFontFace = L"Microsoft YaHei UI";

}  // namespace

HFONT UiFonts::font(int number) const {
    if (number < 1 || number > core::kUiFontCount) return nullptr;
    return fonts_[static_cast<std::size_t>(number - 1)].get();
}

core::Result<UiFonts> create_ui_fonts(UINT dpi) {
    UiFonts fonts;
    fonts.dpi_ = dpi < core::kUiFontBaseDpi ? core::kUiFontBaseDpi : dpi;
    for (std::size_t i = 0; i < fonts.fonts_.size(); ++i) {
        const core::UiFontStyle& style = core::kUiFontStyles[i];
        fonts.fonts_[i].reset(::CreateFontW(core::ui_font_height(style.size, fonts.dpi_), 0, 0, 0, style.weight,
                                            FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                            CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                                            kUiFontFace));
        if (!fonts.fonts_[i]) return core::fail("CreateFontW failed for UI font " + std::to_string(i + 1));
    }
    return fonts;
}

}  // namespace player
