#include "tools/wallpkg/preview/page_report.h"

#include <vector>

#include "tools/wallpkg/lint/page_warnings.h"

namespace wallpkg {
namespace {

// "http://wlp.localhost:PORT/dir/file.html?x" is "dir/file.html"; a URL elsewhere is kept.
std::string asset_of(std::string_view url) {
    const std::size_t host = url.find("//wlp.localhost");
    if (host == std::string_view::npos) return std::string(url);
    const std::size_t slash = url.find('/', host + 2);
    if (slash == std::string_view::npos) return "";
    const std::string_view path = url.substr(slash + 1);
    return std::string(path.substr(0, path.find_first_of("?#")));
}

std::string place(const PageReport& report) {
    const std::string file = asset_of(report.source);
    if (file.empty()) return "";
    return " in " + file + (report.line > 0 ? " line " + std::to_string(report.line) : "");
}

// Lint's warning for inline code of the kind the browser blocked, nearest the line it names.
std::optional<PageWarning> inline_warning(const PageReport& report, const core::AssetMap& assets, bool handler) {
    const std::string file = asset_of(report.source);
    const auto found = assets.find(file);
    if (found == assets.end()) return std::nullopt;
    core::AssetMap one;
    one.emplace(found->first, found->second);
    std::optional<PageWarning> nearest;
    const auto distance = [&](const PageWarning& w) { return w.line > report.line ? w.line - report.line : report.line - w.line; };
    for (const PageWarning& warning : scan_wallpaper_pages(one)) {
        const bool fits = handler ? warning.kind == PageWarning::Kind::inline_handler
                                  : warning.kind == PageWarning::Kind::inline_script ||
                                        warning.kind == PageWarning::Kind::import_map;
        if (fits && (!nearest || distance(warning) < distance(*nearest))) nearest = warning;
    }
    return nearest;
}

std::string fix_for(std::string_view directive) {
    if (directive.starts_with("script-src")) return "download the script into the folder and load it by a relative path";
    if (directive.starts_with("style-src")) return "download the stylesheet, and the font files it names, into the folder";
    if (directive == "font-src") return "put the font file into the folder (a data: font is blocked too)";
    if (directive == "connect-src") return "a page reaches only the wallpaper's own files: copy the data into the folder";
    if (directive == "worker-src") return "workers are blocked: do the work on the page, in slices between frames";
    if (directive == "frame-src" || directive == "child-src") return "frames are blocked: put the content into the page";
    return "copy the file into the folder and name it by a relative path";
}

std::string explain_violation(const PageReport& report, const core::AssetMap& assets) {
    const std::string blocked = "blocked by the policy (" + report.directive + ")";
    if (report.url == "inline") {
        const bool handler = report.directive == "script-src-attr";
        if (const auto warning = inline_warning(report, assets, handler)) {
            // "inline script is blocked: move it ..." told with its place.
            std::string text = warning->text;
            const std::size_t blocked_at = text.find(" is blocked");
            if (blocked_at != std::string::npos) {
                text.insert(blocked_at, " in " + warning->file + " line " + std::to_string(warning->line));
            }
            return text;
        }
        return std::string(handler ? "inline event handler" : "inline script") + place(report) +
               " is blocked: " + (handler ? "add the listener with addEventListener in a .js file"
                                          : "move it into a .js file and load it with <script src=\"...\">");
    }
    if (report.url == "eval") {
        return "eval, new Function or a timer given a string" + place(report) +
               " is blocked (no 'unsafe-eval'): call functions directly, parse data with JSON.parse";
    }
    if (report.url == "wasm-eval") {
        return "WebAssembly" + place(report) +
               " is blocked (no 'wasm-unsafe-eval'): use the library's JavaScript build";
    }
    return blocked + ": " + report.url + (place(report).empty() ? "" : " (asked for" + place(report) + ")") + ": " +
           fix_for(report.directive);
}

}  // namespace

std::optional<PageReport> parse_page_report(std::string_view body) {
    std::vector<std::string> fields;
    while (fields.size() < 5) {
        const std::size_t end = body.find('\n');
        if (end == std::string_view::npos) return std::nullopt;
        fields.emplace_back(body.substr(0, end));
        body.remove_prefix(end + 1);
    }
    PageReport report{.kind = fields[0], .directive = fields[1], .url = fields[2], .source = fields[3],
                      .message = std::string(body)};
    for (const char c : fields[4]) {
        if (c < '0' || c > '9' || report.line > 1'000'000'000) return std::nullopt;
        report.line = report.line * 10 + static_cast<std::size_t>(c - '0');
    }
    if (report.kind != "csp" && report.kind != "error" && report.kind != "rejection" && report.kind != "resource") {
        return std::nullopt;
    }
    return report;
}

std::string explain_page_report(const PageReport& report, const core::AssetMap& assets) {
    if (report.kind == "csp") return explain_violation(report, assets);
    if (report.kind == "resource") {
        return "<" + report.directive + "> failed to load: " + report.url +
               (report.url.find("//wlp.localhost") == std::string::npos && !report.url.starts_with("data:")
                    ? ": it is not the wallpaper's own file; copy it into the folder"
                    : "");
    }
    std::string line = (report.kind == "error" ? "uncaught error" : "unhandled rejection") + place(report) + ": " +
                       report.message;
    if (report.message.find("resolve module specifier") != std::string::npos) {
        line += ": a bare module name needs an import map, which the policy blocks: bundle the modules into one "
                "file, or import the module's file by a relative path";
    }
    return line;
}

}  // namespace wallpkg
