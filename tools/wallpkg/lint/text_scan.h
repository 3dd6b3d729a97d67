#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace wallpkg {

// A cursor over text that counts lines as it goes: the scanners' common ground.
class TextCursor {
public:
    explicit TextCursor(std::string_view text, std::size_t first_line = 1) : text_(text), line(first_line) {}

    bool done() const { return at_ >= text_.size(); }
    char peek(std::size_t ahead = 0) const { return at_ + ahead < text_.size() ? text_[at_ + ahead] : '\0'; }
    char take() {
        const char c = text_[at_++];
        if (c == '\n') ++line;
        return c;
    }
    void advance(std::size_t count) {
        for (std::size_t i = 0; i < count && !done(); ++i) take();
    }
    std::string_view rest() const { return text_.substr(at_); }
    std::size_t size() const { return text_.size() - at_; }
    bool starts_with(std::string_view prefix) const { return rest().starts_with(prefix); }
    // Moves past the next occurrence of marker, or to the end.
    void skip_past(std::string_view marker) {
        const std::size_t found = rest().find(marker);
        advance(found == std::string_view::npos ? size() : found + marker.size());
    }

private:
    std::string_view text_;
    std::size_t at_ = 0;

public:
    std::size_t line;
};

inline char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

inline std::string lowered(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = lower(c);
    return result;
}

// Where needle (lowercase) occurs in text without regard to ASCII case, or text's size.
inline std::size_t find_no_case(std::string_view text, std::string_view needle) {
    if (needle.size() > text.size()) return text.size();
    for (std::size_t i = 0; i + needle.size() <= text.size(); ++i) {
        std::size_t j = 0;
        while (j < needle.size() && lower(text[i + j]) == needle[j]) ++j;
        if (j == needle.size()) return i;
    }
    return text.size();
}

}  // namespace wallpkg
