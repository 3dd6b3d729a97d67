#pragma once

#include <string>
#include <string_view>

#include "core/error/error.h"

namespace core {

// Strict UTF-8 (RFC 3629): no overlong forms, no surrogates, nothing above U+10FFFF.
bool is_valid_utf8(std::string_view text);

// The one pair of conversions between the UTF-8 used inside and the UTF-16 of the
// Windows API. Ill-formed input is an error, never silently replaced.
Result<std::u16string> utf8_to_utf16(std::string_view text);
Result<std::string> utf16_to_utf8(std::u16string_view text);

}  // namespace core
