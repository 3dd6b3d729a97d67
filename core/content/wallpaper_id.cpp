#include "core/content/wallpaper_id.h"

#include "core/content/asset_path.h"

namespace core {

bool is_valid_product_id(std::string_view id) {
    if (id.empty() || id.size() > kMaxWallpaperIdBytes) return false;
    for (const char c : id) {
        const bool allowed = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                             (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_';
        if (!allowed) return false;
    }
    return true;
}

Status validate_library_id(std::string_view id) {
    if (!is_valid_product_id(id) || id.front() == '.') return fail("invalid wallpaper ID");
    return validate_asset_path(id);
}

}  // namespace core
