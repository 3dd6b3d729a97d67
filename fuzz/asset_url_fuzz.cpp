// The asset protocol handler on any URL the page may request, against a small wallpaper.
// Checks the promises the player relies on: every answer is a 200 with the asset's own
// bytes or an empty 404, the header set is complete, and the refusal's log line holds no
// control character the page could use to write log lines of its own. The navigation
// filter and the URL mapping are checked on the same text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/content/asset_map.h"
#include "core/text/percent.h"
#include "core/web/asset_protocol.h"
#include "core/web/asset_url.h"

namespace {

const core::AssetMap& sample_assets() {
    static const core::AssetMap assets = [] {
        core::AssetMap map;
        map.emplace("index.html", core::Bytes{'<', 'p', '>'});
        map.emplace("art/sky blue.png", core::Bytes{0x89, 'P', 'N', 'G'});
        map.emplace("\xe5\xa3\x81\xe7\xba\xb8.js", core::Bytes{'1'});
        return map;
    }();
    return assets;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string url(reinterpret_cast<const char*>(data), size);
    const core::AssetResponse response = core::handle_asset_request(url, sample_assets());
    if (response.header_count < 4 || response.header_count > core::AssetResponse::kMaxHeaders) __builtin_trap();
    if (response.status == core::kHttpOk) {
        if (response.refusal || response.header_count != 4) __builtin_trap();
        bool found = false;
        for (const auto& [path, bytes] : sample_assets()) found = found || bytes == response.body;
        if (!found) __builtin_trap();
    } else {
        if (response.status != core::kHttpNotFound || !response.body.empty()) __builtin_trap();
        if (response.headers().back().name != "Content-Length") __builtin_trap();
    }
    if (response.refusal) {
        for (const char c : response.refusal->log_line) {
            if (static_cast<unsigned char>(c) < 0x20) __builtin_trap();
        }
    }

    const std::string decoded = core::percent_decode(url);
    if (decoded.size() > url.size()) __builtin_trap();
    if (url.find('%') == std::string::npos && decoded != url) __builtin_trap();

    const std::string mapped = core::webview_url(url);
    if (core::is_allowed_navigation(mapped) != core::is_allowed_navigation(url)) __builtin_trap();
    if (!core::is_allowed_navigation(core::start_url(url))) __builtin_trap();
    return 0;
}
