#include "player/library/library.h"
#include "tools/wallpkg/folder_source.h"

namespace wallpkg {

// The player's own folder loader: plain-directory guards, final path, the walk.
core::Result<core::WallpaperItem> load_folder(std::string_view folder) { return player::load_wallpaper_folder(folder); }

}  // namespace wallpkg
