#pragma once

#include <string>
#include <string_view>

#include "core/error/error.h"

namespace core {

// A wallpaper's identifier, compared byte for byte everywhere.
using WallpaperId = std::string;

inline constexpr std::size_t kMaxWallpaperIdBytes = 100;

// The id rule of a manifest: 1 to 100 bytes of ASCII letters, digits, "-", "." and "_".
bool is_valid_product_id(std::string_view id);

// The stricter rule for ids used as folder names or looked up in the library: no leading
// dot, and the id must be a safe one-segment asset path (no device name).
Status validate_library_id(std::string_view id);

}  // namespace core
