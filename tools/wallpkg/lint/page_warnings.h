#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/content/asset_map.h"

namespace wallpkg {

// Something in a wallpaper's pages that the player's content security policy will block,
// found by a static scan, with what to do about it.
struct PageWarning {
    enum class Kind { inline_script, inline_handler, javascript_url, import_map, module_specifier, other_origin,
                      missing_file, frame, eval, worker, web_assembly, folder_name };
    Kind kind = Kind::inline_script;
    std::string file;      // asset path (for folder_name: the folder)
    std::size_t line = 0;  // 1-based; 0 for the folder itself
    std::string text;      // "what is blocked: what to do"
};

// "FILE:LINE: TEXT" (or "FILE: TEXT" without a line).
std::string describe(const PageWarning& warning);

// Every .html, .css, .js and .mjs asset scanned, in asset path order, each file's
// warnings in line order.
std::vector<PageWarning> scan_wallpaper_pages(const core::AssetMap& assets);

// The player refuses a folder in wallpapers/ (and the library) whose name is not the id.
std::optional<PageWarning> folder_name_warning(std::string_view folder_path, std::string_view id);

}  // namespace wallpkg
