// Any text as a wallpaper's page, stylesheet and scripts at once, through lint's page
// scanners (HTML, CSS, script) and the warnings built on them. Checks what lint and the
// preview rely on: no throw or crash on any text; every warning names a scanned file, a
// line inside it and a text; each file's warnings come in line order, the files in path
// order; a missing file is never one the folder has.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/content/asset_map.h"
#include "tools/wallpkg/lint/page_warnings.h"

namespace {

constexpr std::string_view kMissing =
    " is not in the folder: the player counts the wallpaper as broken when the page asks for it";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const core::Bytes text(data, data + size);
    core::AssetMap assets;
    for (const char* scanned : {"index.html", "css/style.css", "main.js", "lib/module.mjs"}) {
        assets.emplace(scanned, text);
    }
    assets.emplace("art/sky.png", core::Bytes{0x89, 'P', 'N', 'G'});
    const std::size_t lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;

    const auto warnings = wallpkg::scan_wallpaper_pages(assets);
    for (std::size_t i = 0; i < warnings.size(); ++i) {
        const wallpkg::PageWarning& warning = warnings[i];
        if (warning.file == "art/sky.png" || !assets.contains(warning.file)) __builtin_trap();
        if (warning.line < 1 || warning.line > lines || warning.text.empty()) __builtin_trap();
        if (i > 0 && warnings[i - 1].file == warning.file && warnings[i - 1].line > warning.line) __builtin_trap();
        if (i > 0 && warnings[i - 1].file > warning.file) __builtin_trap();
        if (warning.kind == wallpkg::PageWarning::Kind::missing_file) {
            if (!warning.text.ends_with(kMissing)) __builtin_trap();
            if (assets.contains(warning.text.substr(0, warning.text.size() - kMissing.size()))) __builtin_trap();
        }
        if (!wallpkg::describe(warning).starts_with(warning.file + ":")) __builtin_trap();
    }
    return 0;
}
