#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace wallpkg {

// The URLs a stylesheet names, found by a small CSS tokenizer (comments, strings, blocks,
// at-rules and url() tokens): what lint checks against the page's policy.
struct CssReference {
    enum class Kind { import, url };
    Kind kind = Kind::url;
    std::string url;
    std::size_t line = 1;
    bool in_font_face = false;  // inside an @font-face rule, where the policy's font-src applies
};

void scan_css(std::string_view css, std::size_t first_line, const std::function<void(const CssReference&)>& visit);

}  // namespace wallpkg
