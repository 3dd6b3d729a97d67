#pragma once

#include <memory>

#include "core/content/asset_map.h"
#include "core/content/manifest.h"

namespace core {

// A verified wallpaper in memory.
struct WallpaperItem {
    Manifest manifest;
    AssetMap assets;
};

// The playing wallpaper is shared read-only between the controller and the asset protocol.
using SharedWallpaper = std::shared_ptr<const WallpaperItem>;

}  // namespace core
