#pragma once

#include <string_view>

namespace core {

// The HTTP content type an asset is served with, from the extension after the last "."
// (ASCII case ignored); a path without a dot is looked up whole. Never fails: anything
// unknown is "application/octet-stream".
std::string_view content_type_for_path(std::string_view path);

}  // namespace core
