#include "player/library/library_play.h"

#include <memory>

#include "player/library/library.h"
#include "player/log/log.h"

namespace player {

core::Result<core::SharedWallpaper> play_library_entry(std::string_view data_folder, std::string_view folder,
                                                       Config& settings) {
    auto item = load_wallpaper_folder(folder);
    if (!item) return std::unexpected(item.error());
    const std::string id = item->manifest.id;
    std::erase(settings.removed, id);
    settings.selected_id = id;
    save_settings(data_folder, settings);
    log_line("free library load: id=" + id + " path=" + std::string(folder));
    return std::make_shared<const core::WallpaperItem>(std::move(*item));
}

}  // namespace player
