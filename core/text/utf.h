#pragma once

#include <string>
#include <string_view>

#include "core/error/error.h"

namespace core {

// Strict UTF-8 (RFC 3629): no overlong forms, no surrogates, nothing above U+10FFFF.
bool is_valid_utf8(std::string_view text);

// Decodes the strict UTF-8 sequence at text[pos] into code_point; returns the number of
// bytes it takes, or 0 when the bytes there are not a well-formed sequence.
std::size_t decode_utf8(std::string_view text, std::size_t pos, char32_t& code_point);

// Appends the UTF-8 form of a code point (U+0000 to U+10FFFF, no surrogates).
void append_utf8(std::string& out, char32_t code_point);

// The one pair of conversions between the UTF-8 used inside and the UTF-16 of the
// Windows API. Ill-formed input is an error, never silently replaced.
Result<std::u16string> utf8_to_utf16(std::string_view text);
Result<std::string> utf16_to_utf8(std::u16string_view text);

}  // namespace core
