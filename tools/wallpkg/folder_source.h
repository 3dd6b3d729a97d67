#pragma once

#include <string_view>

#include "core/content/wallpaper_item.h"
#include "core/error/error.h"
#include "core/folder/wallpaper_folder.h"

namespace wallpkg {

// Every problem of a wallpaper folder by exactly the rules the player applies to one,
// each naming its file; the first is the one the player would log.
core::FolderReport check_folder(std::string_view folder);

// The folder as the player loads it, or its first problem (naming its file).
core::Result<core::WallpaperItem> load_folder(std::string_view folder);

}  // namespace wallpkg
