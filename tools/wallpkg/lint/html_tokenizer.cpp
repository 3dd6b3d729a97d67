#include "tools/wallpkg/lint/html_tokenizer.h"

#include <algorithm>

#include "tools/wallpkg/lint/text_scan.h"

namespace wallpkg {
namespace {

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }
bool is_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Reads one start or end tag from just after "<" or "</"; leaves the cursor after ">".
HtmlToken read_tag(TextCursor& at, HtmlToken::Kind kind) {
    HtmlToken tag{.kind = kind, .line = at.line};
    while (!at.done() && !is_space(at.peek()) && at.peek() != '/' && at.peek() != '>') tag.name += lower(at.take());
    while (!at.done()) {
        while (!at.done() && (is_space(at.peek()) || at.peek() == '/')) at.take();
        if (at.done() || at.peek() == '>') break;
        HtmlAttribute attribute{.line = at.line};
        while (!at.done() && !is_space(at.peek()) && at.peek() != '/' && at.peek() != '>' && at.peek() != '=') {
            attribute.name += lower(at.take());
        }
        if (attribute.name.empty()) attribute.name += at.take();  // a stray "=": taken as a name, as browsers do
        while (!at.done() && is_space(at.peek())) at.take();
        if (!at.done() && at.peek() == '=') {
            at.take();
            while (!at.done() && is_space(at.peek())) at.take();
            if (!at.done() && (at.peek() == '"' || at.peek() == '\'')) {
                const char quote = at.take();
                while (!at.done() && at.peek() != quote) attribute.value += at.take();
                if (!at.done()) at.take();
            } else {
                while (!at.done() && !is_space(at.peek()) && at.peek() != '>') attribute.value += at.take();
            }
        }
        if (kind == HtmlToken::Kind::start_tag) tag.attributes.push_back(std::move(attribute));
    }
    if (!at.done()) at.take();
    return tag;
}

}  // namespace

void tokenize_html(std::string_view html, const std::function<void(const HtmlToken&)>& visit) {
    TextCursor at(html);
    while (!at.done()) {
        if (at.peek() != '<') {
            at.take();
            continue;
        }
        if (at.starts_with("<!--")) {
            at.skip_past("-->");
        } else if (at.starts_with("<!") || at.starts_with("<?")) {
            at.skip_past(">");
        } else if (at.starts_with("</") && at.size() > 2 && is_letter(at.rest()[2])) {
            at.advance(2);
            visit(read_tag(at, HtmlToken::Kind::end_tag));
        } else if (at.size() > 1 && is_letter(at.rest()[1])) {
            at.take();
            HtmlToken tag = read_tag(at, HtmlToken::Kind::start_tag);
            visit(tag);
            // Script and style hold raw text up to their end tag; so do the RCDATA and
            // raw-text elements that must not be read as markup.
            static constexpr std::string_view kRawText[] = {"script", "style", "textarea", "title", "xmp"};
            if (std::find(std::begin(kRawText), std::end(kRawText), tag.name) != std::end(kRawText)) {
                const std::string end = "</" + tag.name;
                const std::size_t line = at.line;
                const std::string_view rest = at.rest();
                const std::size_t length = find_no_case(rest, end);
                visit(HtmlToken{.kind = HtmlToken::Kind::raw_text, .name = tag.name, .text = rest.substr(0, length),
                                .line = line});
                at.advance(std::min(length, rest.size()));
            }
        } else {
            at.take();
        }
    }
}

const HtmlAttribute* find_attribute(const HtmlToken& tag, std::string_view name) {
    for (const HtmlAttribute& attribute : tag.attributes) {
        if (attribute.name == name) return &attribute;
    }
    return nullptr;
}

}  // namespace wallpkg
