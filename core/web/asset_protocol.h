#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/bytes.h"
#include "core/content/asset_map.h"

namespace core {

// Every header name and value is static text, so a response allocates nothing but its body.
struct HttpHeader {
    std::string_view name;
    std::string_view value;

    bool operator==(const HttpHeader&) const = default;
};

inline constexpr int kHttpOk = 200;
inline constexpr int kHttpPartialContent = 206;
inline constexpr int kHttpNotFound = 404;
inline constexpr int kHttpRangeNotSatisfiable = 416;

// What the caller must do besides answering when a request is refused: set the page's
// failed flag, write log_line to the log and post MSG_REFRESH_CONTROL to the controller
// window. The handler itself stays pure so that it can run anywhere and be measured.
struct AssetRefusal {
    std::string log_line;
};

struct AssetResponse {
    // Content-Type, Cache-Control, X-Content-Type-Options, Content-Security-Policy, then
    // Content-Length on refusals and 416 answers, Accept-Ranges on 206 and 416 answers.
    static constexpr std::size_t kMaxHeaders = 6;

    int status = kHttpNotFound;
    std::array<HttpHeader, kMaxHeaders> header_slots{};
    std::size_t header_count = 0;
    // On 206 and 416 answers only, "bytes FIRST-LAST/SIZE" or "bytes */SIZE": the one header
    // whose value is not static text, sent after headers().
    std::string content_range;
    // The response's own copy of the asset, or of the requested range of it: the WebView
    // may keep reading it after the wallpaper has been replaced.
    Bytes body;
    // Set on refusals that the player must notice; a refused "favicon.ico" has none.
    std::optional<AssetRefusal> refusal;

    std::span<const HttpHeader> headers() const { return {header_slots.data(), header_count}; }
};

inline constexpr std::string_view kContentSecurityPolicy =
    "default-src 'self'; script-src 'self'; style-src 'self' 'unsafe-inline'; "
    "img-src 'self' data: blob:; media-src 'self' blob:; connect-src 'self'; font-src 'self'; "
    "object-src 'none'; base-uri 'none'; form-action 'none'; frame-src 'none'; worker-src 'none'";

// Answers one request of the asset scheme from the wallpaper's assets. Only the URL and
// the Range header's value (empty when the request has none) are looked at: a POST is
// answered like a GET. Never fails: every problem is a 404 with an empty body and the full
// header set. A single "bytes=" range of a served asset gets 206 with that part only (so
// media can seek), or 416 when no byte of it exists; any other Range value is ignored.
AssetResponse handle_asset_request(std::string_view url, const AssetMap& assets, std::string_view range = {});

// "OK", "Partial Content", "Not Found" or "Range Not Satisfiable".
std::string_view reason_phrase(int status);

// The refusal handle_asset_request gives a request it cannot serve, for requests the
// player must answer without serving: the asset host under another scheme, or a request
// whose answer could not be made. With a cause (why the answer could not be made) the
// refusal is always noticed, a favicon's too, and its log line names the cause.
AssetResponse refuse_asset_request(std::string_view url, std::string_view cause = {});

}  // namespace core
