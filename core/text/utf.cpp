#include "core/text/utf.h"

#include <cstdint>
#include <cstring>

namespace core {

std::size_t decode_utf8(std::string_view text, std::size_t pos, char32_t& out) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    if (lead < 0x80) {
        out = lead;
        return 1;
    }
    std::size_t length = 0;
    char32_t min = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, min = 0x80, out = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, min = 0x800, out = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, min = 0x10000, out = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() - pos < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char next = byte(pos + i);
        if ((next & 0xC0) != 0x80) return 0;
        out = (out << 6) | (next & 0x3F);
    }
    if (out < min || out > 0x10FFFF || (out >= 0xD800 && out <= 0xDFFF)) return 0;
    return length;
}

void append_utf8(std::string& out, char32_t code_point) {
    if (code_point < 0x80) {
        out.push_back(static_cast<char>(code_point));
    } else if (code_point < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code_point >> 6)));
        out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
    } else if (code_point < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code_point >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code_point >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code_point >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code_point >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code_point >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
    }
}

bool is_valid_utf8(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        // Eight ASCII bytes at a time: strings such as base64 assets are long and plain.
        while (text.size() - pos >= 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, text.data() + pos, 8);
            if (word & 0x8080808080808080ull) break;
            pos += 8;
        }
        if (pos >= text.size()) break;
        // ASCII runs are by far the common case in paths and JSON.
        if (static_cast<unsigned char>(text[pos]) < 0x80) {
            ++pos;
            continue;
        }
        char32_t code_point = 0;
        const std::size_t used = decode_utf8(text, pos, code_point);
        if (used == 0) return false;
        pos += used;
    }
    return true;
}

Result<std::u16string> utf8_to_utf16(std::string_view text) {
    std::u16string wide;
    wide.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        char32_t code_point = 0;
        const std::size_t used = decode_utf8(text, pos, code_point);
        if (used == 0) return fail("invalid UTF-8 text");
        pos += used;
        if (code_point < 0x10000) {
            wide.push_back(static_cast<char16_t>(code_point));
        } else {
            code_point -= 0x10000;
            wide.push_back(static_cast<char16_t>(0xD800 + (code_point >> 10)));
            wide.push_back(static_cast<char16_t>(0xDC00 + (code_point & 0x3FF)));
        }
    }
    return wide;
}

Result<std::string> utf16_to_utf8(std::u16string_view text) {
    std::string narrow;
    narrow.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t code_point = text[i];
        if (code_point >= 0xD800 && code_point <= 0xDBFF) {
            if (i + 1 >= text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) {
                return fail("invalid UTF-16 text");
            }
            code_point = 0x10000 + ((code_point - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (code_point >= 0xDC00 && code_point <= 0xDFFF) {
            return fail("invalid UTF-16 text");
        }
        append_utf8(narrow, code_point);
    }
    return narrow;
}

}  // namespace core
