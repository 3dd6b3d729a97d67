#pragma once

#include <string_view>

#include "core/error/error.h"

namespace core {

// Longest asset path in bytes: keeps library paths well inside MAX_PATH.
inline constexpr std::size_t kMaxAssetPathBytes = 240;

// The one rule that decides whether a text may name an asset: relative, "/"-separated,
// no characters that Windows or URLs treat specially, no "." or ".." segments, no
// segment that Windows would silently trim, and no reserved device name.
Status validate_asset_path(std::string_view path);

}  // namespace core
