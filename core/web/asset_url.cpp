#include "core/web/asset_url.h"

namespace core {

std::string start_url(std::string_view entry) {
    std::string url(kCanonicalAssetPrefix);
    url += entry;
    return url;
}

std::string webview_url(std::string_view url) {
    if (!url.starts_with(kCanonicalAssetPrefix)) return std::string(url);
    std::string mapped(kWebViewAssetPrefix);
    mapped += url.substr(kCanonicalAssetPrefix.size());
    return mapped;
}

bool is_allowed_navigation(std::string_view url) {
    return url.starts_with(kWebViewAssetPrefix) || url.starts_with(kCanonicalAssetPrefix);
}

}  // namespace core
