#pragma once

#include <string_view>

#include "core/content/wallpaper_item.h"
#include "core/error/error.h"
#include "player/library/settings.h"

namespace player {

// Playing a library entry up to the host: the folder is verified once more, its id
// leaves the removed list and becomes the selected id, the settings are saved and
// "free library load: id=... path=..." is logged. On failure nothing changes. The caller
// makes the folder its source and has the host load the returned wallpaper.
core::Result<core::SharedWallpaper> play_library_entry(std::string_view data_folder, std::string_view folder,
                                                       Config& settings);

}  // namespace player
