#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace wallpkg {

// A small HTML tokenizer for lint: enough of the HTML syntax to find elements, their
// attributes and the text of raw-text elements with line numbers, in one pass. Names are
// lowercased; character references are left as written (lint reads URLs and handler
// names, where they do not occur in practice).
struct HtmlAttribute {
    std::string name;
    std::string value;
    std::size_t line = 1;
};

struct HtmlToken {
    enum class Kind { start_tag, end_tag, raw_text };
    Kind kind = Kind::start_tag;
    std::string name;                      // the element's name (for raw_text: "script" or "style")
    std::vector<HtmlAttribute> attributes;  // start tags only
    std::string_view text;                 // raw_text only: the element's content
    std::size_t line = 1;                  // where the token begins
};

void tokenize_html(std::string_view html, const std::function<void(const HtmlToken&)>& visit);

// The attribute's value, or nothing when the tag has none of that name (the first wins).
const HtmlAttribute* find_attribute(const HtmlToken& tag, std::string_view name);

}  // namespace wallpkg
