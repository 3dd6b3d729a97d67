#pragma once

#include <string_view>

#include "core/content/wallpaper_item.h"
#include "core/error/error.h"

namespace wallpkg {

// Loads a wallpaper folder by exactly the rules the player applies to one.
core::Result<core::WallpaperItem> load_folder(std::string_view folder);

}  // namespace wallpkg
