#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/error/error.h"

namespace core {

// The value of one hexadecimal digit of either case, or -1 for any other character.
int hex_digit_value(char c);

// Lowercase hexadecimal, two digits a byte.
std::string hex_encode(std::span<const std::uint8_t> bytes);

// Accepts upper- and lowercase digits; an odd length or any other character is an error.
Result<std::vector<std::uint8_t>> hex_decode(std::string_view text);

// "0x" followed by lowercase hexadecimal without padding: HRESULTs and window handles.
std::string hex_number(std::uint64_t value);

}  // namespace core
