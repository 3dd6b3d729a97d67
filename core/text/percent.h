#pragma once

#include <string>
#include <string_view>

namespace core {

// Percent-decoding of a URL path (RFC 3986): every "%" followed by two hexadecimal digits
// becomes that byte; any other "%" stays as it is. The result is bytes, not checked text.
std::string percent_decode(std::string_view text);

}  // namespace core
