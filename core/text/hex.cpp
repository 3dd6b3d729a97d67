#include "core/text/hex.h"

namespace core {
namespace {

constexpr char kDigits[] = "0123456789abcdef";

}  // namespace

int hex_digit_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string hex_encode(std::span<const std::uint8_t> bytes) {
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const std::uint8_t byte : bytes) {
        text.push_back(kDigits[byte >> 4]);
        text.push_back(kDigits[byte & 0x0F]);
    }
    return text;
}

Result<std::vector<std::uint8_t>> hex_decode(std::string_view text) {
    if (text.size() % 2 != 0) return fail("odd number of hexadecimal digits");
    std::vector<std::uint8_t> bytes;
    bytes.reserve(text.size() / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = hex_digit_value(text[i]);
        const int low = hex_digit_value(text[i + 1]);
        if (high < 0 || low < 0) return fail("invalid hexadecimal digit");
        bytes.push_back(static_cast<std::uint8_t>(high << 4 | low));
    }
    return bytes;
}

std::string hex_number(std::uint64_t value) {
    std::string digits;
    do {
        digits.insert(digits.begin(), kDigits[value & 0x0F]);
        value >>= 4;
    } while (value != 0);
    return "0x" + digits;
}

}  // namespace core
