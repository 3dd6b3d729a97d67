#include "tools/wallpkg/folder_source.h"

namespace wallpkg {

core::Result<core::WallpaperItem> load_folder(std::string_view folder) {
    core::FolderReport report = check_folder(folder);
    if (!report.problems.empty()) return std::unexpected(report.problems.front());
    if (!report.manifest) return core::fail("manifest.json could not be read");
    return core::WallpaperItem{.manifest = std::move(*report.manifest), .assets = std::move(report.assets)};
}

}  // namespace wallpkg
