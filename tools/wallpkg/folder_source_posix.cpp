#include "tools/common/posix_directory_reader.h"
#include "tools/wallpkg/folder_source.h"

namespace wallpkg {

core::Result<core::WallpaperItem> load_folder(std::string_view folder) {
    return tools::load_wallpaper_folder_posix(folder);
}

}  // namespace wallpkg
