#include "tools/wallpkg/lint/css_scanner.h"

#include "tools/wallpkg/lint/text_scan.h"

namespace wallpkg {
namespace {

bool is_name_char(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}
bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

std::string read_string(TextCursor& at) {
    const char quote = at.take();
    std::string value;
    while (!at.done() && at.peek() != quote && at.peek() != '\n') {
        if (at.peek() == '\\') at.take();
        if (!at.done()) value += at.take();
    }
    if (!at.done() && at.peek() == quote) at.take();
    return value;
}

std::string read_name(TextCursor& at) {
    std::string name;
    while (!at.done() && is_name_char(at.peek())) name += lower(at.take());
    return name;
}

// After "url(": the URL, quoted or not, up to ")".
std::string read_url(TextCursor& at) {
    while (!at.done() && is_space(at.peek())) at.take();
    std::string value;
    if (!at.done() && (at.peek() == '"' || at.peek() == '\'')) {
        value = read_string(at);
    } else {
        while (!at.done() && at.peek() != ')' && !is_space(at.peek())) value += at.take();
    }
    while (!at.done() && at.peek() != ')' && at.peek() != ';' && at.peek() != '}') at.take();
    if (!at.done() && at.peek() == ')') at.take();
    return value;
}

}  // namespace

void scan_css(std::string_view css, std::size_t first_line, const std::function<void(const CssReference&)>& visit) {
    TextCursor at(css, first_line);
    std::size_t depth = 0;
    std::size_t font_face_depth = 0;  // the depth of an @font-face block's content; 0 outside one
    bool font_face_next = false;
    while (!at.done()) {
        const char c = at.peek();
        if (at.starts_with("/*")) {
            at.skip_past("*/");
        } else if (c == '"' || c == '\'') {
            read_string(at);
        } else if (c == '{') {
            at.take();
            ++depth;
            if (font_face_next) font_face_depth = depth;
            font_face_next = false;
        } else if (c == '}') {
            at.take();
            if (depth == font_face_depth) font_face_depth = 0;
            if (depth > 0) --depth;
        } else if (c == ';') {
            at.take();
            font_face_next = false;
        } else if (c == '@') {
            at.take();
            const std::size_t line = at.line;
            const std::string keyword = read_name(at);
            if (keyword == "font-face") font_face_next = true;
            if (keyword != "import") continue;
            while (!at.done() && is_space(at.peek())) at.take();
            std::string url;
            if (!at.done() && (at.peek() == '"' || at.peek() == '\'')) {
                url = read_string(at);
            } else if (lowered(at.rest().substr(0, 4)) == "url(") {
                at.advance(4);
                url = read_url(at);
            }
            visit(CssReference{.kind = CssReference::Kind::import, .url = url, .line = line});
        } else if (is_name_char(c)) {
            const std::size_t line = at.line;
            const std::string name = read_name(at);
            if (name == "url" && at.peek() == '(') {
                at.take();
                const std::string url = read_url(at);
                visit(CssReference{.kind = CssReference::Kind::url, .url = url, .line = line,
                                   .in_font_face = font_face_depth != 0});
            }
        } else {
            if (c == '\\') at.take();
            if (!at.done()) at.take();
        }
    }
}

}  // namespace wallpkg
