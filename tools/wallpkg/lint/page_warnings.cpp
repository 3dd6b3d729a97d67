#include "tools/wallpkg/lint/page_warnings.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "core/text/percent.h"

#include "tools/wallpkg/lint/css_scanner.h"
#include "tools/wallpkg/lint/html_tokenizer.h"
#include "tools/wallpkg/lint/script_scanner.h"
#include "tools/wallpkg/lint/text_scan.h"

namespace wallpkg {
namespace {

using Kind = PageWarning::Kind;

constexpr std::string_view kPageHost = "wlp.localhost";

enum class UrlPlace { local, other_origin, javascript, data, none };

std::string_view trimmed(std::string_view url) {
    while (!url.empty() && (url.front() == ' ' || url.front() == '\t' || url.front() == '\n')) url.remove_prefix(1);
    return url;
}

bool starts_with_no_case(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && find_no_case(text.substr(0, prefix.size()), prefix) == 0;
}

// What follows the host of an absolute URL to the page's own origin ("/app.js" of
// "http://wlp.localhost/app.js" or "//wlp.localhost/app.js"); none for any other URL.
std::optional<std::string_view> own_origin_rest(std::string_view url) {
    for (const std::string_view scheme : {"http:", "https:"}) {
        if (starts_with_no_case(url, scheme)) {
            url.remove_prefix(scheme.size());
            break;
        }
    }
    if (!url.starts_with("//") || !starts_with_no_case(url.substr(2), kPageHost)) return std::nullopt;
    url.remove_prefix(2 + kPageHost.size());
    // "wlp.localhost.example.com" or a port is somewhere else.
    if (!url.empty() && url.front() != '/' && url.front() != '?' && url.front() != '#') return std::nullopt;
    return url;
}

UrlPlace place_of(std::string_view url) {
    url = trimmed(url);
    if (url.empty() || url.front() == '#') return UrlPlace::none;
    if (own_origin_rest(url)) return UrlPlace::local;
    if (url.starts_with("//")) return UrlPlace::other_origin;
    const std::size_t colon = url.find(':');
    const std::size_t stop = url.find_first_of("/?#");
    if (colon == std::string_view::npos || (stop != std::string_view::npos && stop < colon)) return UrlPlace::local;
    const std::string scheme = lowered(url.substr(0, colon));
    if (scheme == "javascript") return UrlPlace::javascript;
    if (scheme == "data" || scheme == "blob") return UrlPlace::data;
    if (scheme == "about" || scheme == "mailto") return UrlPlace::none;
    return UrlPlace::other_origin;
}

// The asset a relative URL names from a file, or nothing when it leaves the folder.
// Resolved by hand: asset paths are UTF-8 and "/"-separated on every system.
std::optional<std::string> resolve(std::string_view from_file, std::string_view url) {
    url = url.substr(0, url.find_first_of("?#"));
    if (url.empty()) return std::nullopt;
    std::vector<std::string_view> segments;
    const auto push = [&](std::string_view text) {
        for (std::size_t start = 0; start <= text.size();) {
            const std::size_t slash = std::min(text.find('/', start), text.size());
            const std::string_view segment = text.substr(start, slash - start);
            if (segment == "..") {
                if (segments.empty()) return false;
                segments.pop_back();
            } else if (!segment.empty() && segment != ".") {
                segments.push_back(segment);
            }
            start = slash + 1;
        }
        return true;
    };
    if (url.front() != '/') {
        const std::size_t slash = from_file.rfind('/');
        if (slash != std::string_view::npos && !push(from_file.substr(0, slash))) return std::nullopt;
    }
    if (!push(url) || segments.empty()) return std::nullopt;
    std::string joined;
    for (const std::string_view segment : segments) {
        if (!joined.empty()) joined += '/';
        joined += segment;
    }
    // As the asset protocol reads a request's path.
    return core::percent_decode(joined);
}

class Scan {
public:
    Scan(const core::AssetMap& assets, std::vector<PageWarning>& out) : assets_(assets), out_(out) {}

    void html(const std::string& file, std::string_view text) {
        std::optional<HtmlToken> open_script;
        tokenize_html(text, [&](const HtmlToken& token) {
            if (token.kind == HtmlToken::Kind::start_tag) {
                tag(file, token);
                if (token.name == "script") open_script = token;
            } else if (token.kind == HtmlToken::Kind::raw_text && token.name == "script" && open_script) {
                inline_script(file, *open_script, token);
                open_script.reset();
            } else if (token.kind == HtmlToken::Kind::raw_text && token.name == "style") {
                css(file, token.text, token.line);
            }
        });
    }

    void css(const std::string& file, std::string_view text, std::size_t first_line) {
        scan_css(text, first_line, [&](const CssReference& reference) {
            const UrlPlace place = place_of(reference.url);
            const bool import = reference.kind == CssReference::Kind::import;
            if (place == UrlPlace::other_origin) {
                add(Kind::other_origin, file, reference.line,
                    std::string(import ? "@import of a stylesheet from another origin is blocked: "
                                       : "url() to another origin is blocked: ") +
                        reference.url +
                        (import ? ": download the stylesheet, and the font files it names, into the folder"
                                : ": copy the file into the folder and name it by a relative path"));
            } else if (place == UrlPlace::data && reference.in_font_face) {
                add(Kind::other_origin, file, reference.line,
                    "a font in a data: URL is blocked (font-src 'self'): save it as a .woff2 file in the folder");
            } else if (place == UrlPlace::local) {
                missing(file, reference.line, reference.url);
            }
        });
    }

    void script(const std::string& file, std::string_view text, std::size_t first_line) {
        scan_script(text, first_line, [&](const ScriptFinding& finding) {
            using F = ScriptFinding::Kind;
            switch (finding.kind) {
            case F::eval:
                return add(Kind::eval, file, finding.line,
                           "eval is blocked (the policy has no 'unsafe-eval'): parse data with JSON.parse and call "
                           "functions directly");
            case F::function_constructor:
                return add(Kind::eval, file, finding.line,
                           "new Function is blocked (the policy has no 'unsafe-eval'): write the function in the "
                           "script");
            case F::string_timer:
                return add(Kind::eval, file, finding.line,
                           finding.detail + " with a string is blocked: pass it a function");
            case F::worker:
                return add(Kind::worker, file, finding.line,
                           "workers are blocked (worker-src 'none'): do the work on the page, in slices between "
                           "frames");
            case F::web_assembly:
                return add(Kind::web_assembly, file, finding.line,
                           "WebAssembly cannot be compiled (the policy has no 'wasm-unsafe-eval') and .wasm files "
                           "are not admitted: use the library's JavaScript build");
            case F::module_specifier:
                return specifier(file, finding.line, finding.detail);
            }
        });
    }

private:
    void add(Kind kind, const std::string& file, std::size_t line, std::string text) {
        // A minified file would repeat itself on its one line.
        for (const PageWarning& seen : out_) {
            if (seen.file == file && seen.line == line && seen.text == text) return;
        }
        out_.push_back(PageWarning{kind, file, line, std::move(text)});
    }

    void missing(const std::string& file, std::size_t line, std::string_view url) {
        url = trimmed(url);
        const auto asset = resolve(file, own_origin_rest(url).value_or(url));
        if (!asset || assets_.contains(*asset)) return;
        add(Kind::missing_file, file, line,
            *asset + " is not in the folder: the player counts the wallpaper as broken when the page asks for it");
    }

    void specifier(const std::string& file, std::size_t line, const std::string& name) {
        const UrlPlace place = place_of(name);
        if (place == UrlPlace::other_origin || place == UrlPlace::data) {
            add(Kind::other_origin, file, line,
                "module from another origin is blocked: " + name +
                    ": download it into the folder and import it by a relative path");
        } else if (!name.starts_with("./") && !name.starts_with("../") && !name.starts_with("/")) {
            add(Kind::module_specifier, file, line,
                "bare module specifier '" + name +
                    "' cannot be resolved (import maps are blocked): bundle the modules into one file, or import "
                    "the module's file by a relative path ('./...')");
        } else {
            missing(file, line, name);
        }
    }

    void inline_script(const std::string& file, const HtmlToken& open, const HtmlToken& content) {
        if (find_attribute(open, "src")) return;
        if (std::all_of(content.text.begin(), content.text.end(),
                        [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; })) {
            return;
        }
        const HtmlAttribute* type = find_attribute(open, "type");
        const std::string kind = type ? lowered(type->value) : "";
        if (kind == "importmap") {
            add(Kind::import_map, file, open.line,
                "inline import map is blocked: bundle the modules into one file, or import them by relative "
                "paths ('./lib/three.module.js')");
        } else if (kind.empty() || kind == "module" || kind.ends_with("javascript") || kind.ends_with("ecmascript")) {
            add(Kind::inline_script, file, open.line,
                std::string("inline ") + (kind == "module" ? "module " : "") +
                    "script is blocked: move it into a .js file and load it with <script " +
                    (kind == "module" ? "type=\"module\" " : "") + "src=\"...\">");
        }
        // Other types are data blocks (shaders, templates): never run, never blocked.
    }

    void tag(const std::string& file, const HtmlToken& tag) {
        static constexpr std::string_view kUrlAttributes[] = {"src",    "href", "poster", "data",
                                                              "action", "formaction", "background", "xlink:href"};
        if (tag.name == "iframe" || tag.name == "frame" || tag.name == "object" || tag.name == "embed") {
            add(Kind::frame, file, tag.line,
                "<" + tag.name + "> is blocked (no frames or plugins): put its content into the page itself");
        }
        if (tag.name == "base") add(Kind::frame, file, tag.line, "<base> is blocked (base-uri 'none'): remove it");
        const HtmlAttribute* rel = find_attribute(tag, "rel");
        const std::string relation = rel ? lowered(rel->value) : "";
        for (const HtmlAttribute& attribute : tag.attributes) {
            if (attribute.name.size() > 2 && attribute.name.starts_with("on")) {
                add(Kind::inline_handler, file, attribute.line,
                    "inline event handler " + attribute.name +
                        "= is blocked: add the listener with addEventListener in a .js file");
                continue;
            }
            if (attribute.name == "style") {
                css(file, attribute.value, attribute.line);
                continue;
            }
            const bool srcset = attribute.name == "srcset";
            if (!srcset && std::find(std::begin(kUrlAttributes), std::end(kUrlAttributes), attribute.name) ==
                               std::end(kUrlAttributes)) {
                continue;
            }
            url_attribute(file, tag, relation, attribute, srcset ? first_srcset_url(attribute.value) : attribute.value);
        }
    }

    static std::string first_srcset_url(std::string_view value) {
        while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
        return std::string(value.substr(0, value.find_first_of(" ,")));
    }

    void url_attribute(const std::string& file, const HtmlToken& tag, const std::string& relation,
                       const HtmlAttribute& attribute, const std::string& url) {
        const std::string where = "<" + tag.name + " " + attribute.name + ">";
        switch (place_of(url)) {
        case UrlPlace::javascript:
            return add(Kind::javascript_url, file, attribute.line,
                       "javascript: URL in " + where + " is blocked: handle the click in a .js file");
        case UrlPlace::other_origin:
            if (tag.name == "a" || tag.name == "area") {
                return add(Kind::other_origin, file, attribute.line,
                           "link to another origin goes nowhere (the player cancels navigation away from the "
                           "wallpaper): " + url);
            }
            if (tag.name == "script") {
                return add(Kind::other_origin, file, attribute.line,
                           "script from another origin is blocked: " + url +
                               ": download it into the folder and load it by a relative path");
            }
            if (tag.name == "link" && relation.find("stylesheet") != std::string::npos) {
                return add(Kind::other_origin, file, attribute.line,
                           "stylesheet from another origin is blocked: " + url +
                               ": download it, and the font files it names, into the folder");
            }
            if (tag.name == "link" && relation.find("icon") == std::string::npos &&
                relation.find("preload") == std::string::npos) {
                return add(Kind::other_origin, file, attribute.line,
                           "<link rel=\"" + relation + "\"> to another origin does nothing in a wallpaper: remove "
                           "it: " + url);
            }
            return add(Kind::other_origin, file, attribute.line,
                       where + " from another origin is blocked: " + url + ": copy the file into the folder");
        case UrlPlace::data:
            if (tag.name == "script") {
                add(Kind::other_origin, file, attribute.line,
                    "script from a data: URL is blocked: save it as a .js file in the folder");
            }
            return;
        case UrlPlace::local:
            if (tag.name != "a" && tag.name != "area" && tag.name != "form" && relation.find("preconnect") == std::string::npos) {
                missing(file, attribute.line, url);
            }
            return;
        case UrlPlace::none:
            return;
        }
    }

    const core::AssetMap& assets_;
    std::vector<PageWarning>& out_;
};

std::string_view extension_of(std::string_view path) {
    const std::size_t dot = path.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : path.substr(dot + 1);
}

}  // namespace

std::string describe(const PageWarning& warning) {
    if (warning.line == 0) return warning.file + ": " + warning.text;
    return warning.file + ":" + std::to_string(warning.line) + ": " + warning.text;
}

std::vector<PageWarning> scan_wallpaper_pages(const core::AssetMap& assets) {
    std::vector<PageWarning> warnings;
    Scan scan(assets, warnings);
    for (const auto& [path, bytes] : assets) {
        const std::string extension = lowered(extension_of(path));
        std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        // As the browser decodes the file: a byte-order mark is no part of the text.
        if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
        const std::size_t before = warnings.size();
        if (extension == "html") {
            scan.html(path, text);
        } else if (extension == "css") {
            scan.css(path, text, 1);
        } else if (extension == "js" || extension == "mjs") {
            scan.script(path, text, 1);
        }
        std::stable_sort(warnings.begin() + static_cast<std::ptrdiff_t>(before), warnings.end(),
                         [](const PageWarning& a, const PageWarning& b) { return a.line < b.line; });
    }
    return warnings;
}

std::optional<PageWarning> folder_name_warning(std::string_view folder_path, std::string_view id) {
    std::filesystem::path folder(std::u8string(folder_path.begin(), folder_path.end()));
    if (!folder.has_filename()) folder = folder.parent_path();
    const std::u8string name = folder.filename().u8string();
    const std::string text(name.begin(), name.end());
    if (text == id || text.empty() || text == "." || text == "..") return std::nullopt;
    return PageWarning{Kind::folder_name, text, 0,
                       "the folder's name differs from the id \"" + std::string(id) +
                           "\": the player refuses it in wallpapers/ (\"wallpaper folder must match manifest ID\"); "
                           "rename the folder"};
}

}  // namespace wallpkg
