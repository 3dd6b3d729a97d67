#pragma once

#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

#include "core/error/error.h"

namespace core {

// Longest asset path in bytes: keeps library paths well inside MAX_PATH.
inline constexpr std::size_t kMaxAssetPathBytes = 240;

// The one rule that decides whether a text may name an asset: relative, "/"-separated,
// no characters that Windows or URLs treat specially, no "." or ".." segments, no
// segment that Windows would silently trim, and no reserved device name.
Status validate_asset_path(std::string_view path);

// Keeps the paths of one wallpaper unambiguous on a case-insensitive file system: every
// added path must pass validate_asset_path, must differ from every other path and folder
// under the case collision key, and may not be a file where another path has a folder.
// Add the asset paths in ascending byte order, then any occupied paths.
class AssetPathRegistry {
public:
    Status add(std::string_view path);

private:
    struct Registered {
        std::string text;
        bool folder = false;
    };
    Status register_prefix(std::string_view text, bool folder);

    std::unordered_map<std::string, Registered> by_key_;
};

// The collision checks over the asset paths of one wallpaper (ascending byte order)
// followed by paths the wallpaper may not use, such as "manifest.json" beside the assets
// of a folder; the first failure is returned.
Status check_asset_paths(std::span<const std::string_view> paths, std::span<const std::string_view> occupied = {});

}  // namespace core
