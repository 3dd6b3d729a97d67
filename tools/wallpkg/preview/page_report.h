#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/content/asset_map.h"

namespace wallpkg {

// Path the preview's page script posts the page's own trouble to (not the player's
// channel: what the page does wrong must not spend the page's message budget).
inline constexpr std::string_view kPageReportPath = "/.tessary/report";

// One thing that went wrong in the page, as the page script saw it: a content security
// policy violation ("csp"), an uncaught error ("error"), an unhandled rejection
// ("rejection") or a resource that failed to load ("resource"). The body is its fields,
// one a line, in this order.
struct PageReport {
    std::string kind;
    std::string directive;  // csp: the effective directive; resource: the element's tag name
    std::string url;        // csp: the blocked URL, "inline", "eval" or "wasm-eval"; resource: its URL
    std::string source;     // the URL of the file where it happened, if known
    std::size_t line = 0;
    std::string message;    // error and rejection: the browser's message
};

std::optional<PageReport> parse_page_report(std::string_view body);

// What the author reads: what failed, where, and what to do, as one line. Inline code is
// found in the file the browser names, with lint's scanner, for the fix that fits.
std::string explain_page_report(const PageReport& report, const core::AssetMap& assets);

}  // namespace wallpkg
