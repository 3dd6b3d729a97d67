#include "core/web/asset_protocol.h"

#include <algorithm>
#include <string>

#include "core/content/asset_path.h"
#include "core/content/content_type.h"
#include "core/text/percent.h"
#include "core/text/utf.h"
#include "core/web/byte_range.h"

namespace core {
namespace {

constexpr std::string_view kWebViewHost = "wlp.localhost";
constexpr std::string_view kCanonicalHost = "localhost";
// Browsers ask for it on their own; a wallpaper without one is not broken.
constexpr std::string_view kFavicon = "favicon.ico";
constexpr std::string_view kRefusalLogPrefix = "wallpaper resource rejected or missing: ";
constexpr std::string_view kUnansweredLogPrefix = "wallpaper resource could not be answered: ";

struct RequestUrl {
    std::string_view host;
    std::string_view path;
};

bool is_scheme(std::string_view text) {
    if (text.empty()) return false;
    const auto alpha = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (!alpha(text.front())) return false;
    for (const char c : text) {
        if (!alpha(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.') return false;
    }
    return true;
}

// The host without user information or port, and the path without query and fragment.
RequestUrl split_url(std::string_view url) {
    RequestUrl parts;
    std::size_t position = 0;
    bool has_scheme = false;
    const std::size_t colon = url.find(':');
    if (colon != std::string_view::npos && is_scheme(url.substr(0, colon))) {
        position = colon + 1;
        has_scheme = true;
    }
    if (url.substr(position).starts_with("//")) {
        const std::size_t start = position + 2;
        const std::size_t end = std::min(url.find_first_of("/?#", start), url.size());
        std::string_view authority = url.substr(start, end - start);
        if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) {
            authority.remove_prefix(at + 1);
        }
        if (authority.starts_with('[')) {
            const std::size_t close = authority.find(']');
            parts.host = authority.substr(0, close == std::string_view::npos ? authority.size() : close + 1);
        } else {
            parts.host = authority.substr(0, authority.find(':'));
        }
        position = end;
    }
    const std::size_t path_end = std::min(url.find_first_of("?#", position), url.size());
    parts.path = url.substr(position, path_end - position);
    if (parts.path.empty() && has_scheme) parts.path = "/";
    return parts;
}

// The page chooses the path: a decoded line break would let it write log lines of its
// own, so control characters are logged in their escaped form.
std::string refusal_log_line(std::string_view prefix, std::string_view path) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string line(prefix);
    line.reserve(line.size() + path.size());
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20) {
            line += '%';
            line += kDigits[byte >> 4];
            line += kDigits[byte & 0x0F];
        } else {
            line += c;
        }
    }
    return line;
}

void add_header(AssetResponse& response, std::string_view name, std::string_view value) {
    response.header_slots[response.header_count++] = HttpHeader{name, value};
}

// The part of a served asset that a Range header asks for, when it asks for one.
void apply_range(AssetResponse& response, std::string_view range, const Bytes& asset) {
    const auto requested = parse_byte_range(range, asset.size());
    if (!requested) {
        response.body = asset;
        return;
    }
    const std::string size = std::to_string(asset.size());
    if (std::holds_alternative<UnsatisfiableRange>(*requested)) {
        response.status = kHttpRangeNotSatisfiable;
        response.content_range = "bytes */" + size;
        return;
    }
    const auto [first, last] = std::get<ByteRange>(*requested);
    response.status = kHttpPartialContent;
    response.content_range = "bytes " + std::to_string(first) + "-" + std::to_string(last) + "/" + size;
    response.body.assign(asset.begin() + static_cast<std::ptrdiff_t>(first),
                         asset.begin() + static_cast<std::ptrdiff_t>(last) + 1);
}

// Without assets every request is refused.
AssetResponse respond(std::string_view url, const AssetMap* assets, std::string_view range,
                      std::string_view cause) {
    const RequestUrl parts = split_url(url);
    const bool known_host = parts.host == kWebViewHost || parts.host == kCanonicalHost;

    std::string_view raw_path = parts.path;
    raw_path.remove_prefix(std::min(raw_path.find_first_not_of('/'), raw_path.size()));
    // Most paths carry no escapes; decode into a buffer only when one does.
    std::string decoded_storage;
    std::string_view path = raw_path;
    if (raw_path.find('%') != std::string_view::npos) {
        decoded_storage = percent_decode(raw_path);
        path = decoded_storage;
    }
    if (!is_valid_utf8(path)) path = {};

    AssetResponse response;
    if (assets != nullptr && known_host && validate_asset_path(path)) {
        if (const auto found = assets->find(path); found != assets->end()) {
            response.status = kHttpOk;
            apply_range(response, range, found->second);
        }
    }

    add_header(response, "Content-Type", content_type_for_path(path));
    add_header(response, "Cache-Control", "no-store, max-age=0");
    add_header(response, "X-Content-Type-Options", "nosniff");
    add_header(response, "Content-Security-Policy", kContentSecurityPolicy);
    if (response.status == kHttpNotFound) {
        add_header(response, "Content-Length", "0");
        if (!cause.empty()) {
            response.refusal = AssetRefusal{refusal_log_line(kUnansweredLogPrefix, path) + ": " + std::string(cause)};
        } else if (path != kFavicon) {
            response.refusal = AssetRefusal{refusal_log_line(kRefusalLogPrefix, path)};
        }
    } else if (response.status == kHttpRangeNotSatisfiable) {
        add_header(response, "Content-Length", "0");
        add_header(response, "Accept-Ranges", "bytes");
    } else if (response.status == kHttpPartialContent) {
        add_header(response, "Accept-Ranges", "bytes");
    }
    return response;
}

}  // namespace

AssetResponse handle_asset_request(std::string_view url, const AssetMap& assets, std::string_view range) {
    return respond(url, &assets, range, {});
}

AssetResponse refuse_asset_request(std::string_view url, std::string_view cause) {
    return respond(url, nullptr, {}, cause);
}

std::string_view reason_phrase(int status) {
    switch (status) {
        case kHttpOk:
            return "OK";
        case kHttpPartialContent:
            return "Partial Content";
        case kHttpRangeNotSatisfiable:
            return "Range Not Satisfiable";
        default:
            return "Not Found";
    }
}

}  // namespace core
