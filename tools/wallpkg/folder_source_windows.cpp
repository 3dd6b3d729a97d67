#include "player/library/library.h"
#include "tools/wallpkg/folder_source.h"

namespace wallpkg {

// The player's own folder loader (plain-directory guards, final path, the walk) decides;
// only a folder it refuses is read again to collect every problem.
core::FolderReport check_folder(std::string_view folder) {
    player::WindowsDirectoryReader reader;
    auto item = player::load_wallpaper_folder(folder, reader);
    if (item) return core::FolderReport{.manifest = std::move(item->manifest), .assets = std::move(item->assets)};
    player::WindowsDirectoryReader again;
    if (!again.check_chain(folder)) return core::FolderReport{.problems = {item.error()}};
    const core::Result<std::string> root = again.open_root(folder);
    if (!root) return core::FolderReport{.problems = {item.error()}};
    core::FolderReport report = core::check_wallpaper_folder_with(again, *root);
    // Guards before the content rules (the manifest's own attributes) fail alone.
    if (report.problems.empty()) report.problems.push_back(item.error());
    return report;
}

}  // namespace wallpkg
