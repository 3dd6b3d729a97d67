// For a build without a directory reader (the Windows tool, for now): pack and lint say so.
#include "tools/wallpkg/folder_source.h"

namespace wallpkg {

core::Result<core::WallpaperItem> load_folder(std::string_view) {
    return core::fail("folder reading is not available in this build");
}

}  // namespace wallpkg
