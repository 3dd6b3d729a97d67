#include "core/web/byte_range.h"

#include <algorithm>
#include <limits>

namespace core {
namespace {

constexpr std::string_view kUnit = "bytes=";

std::string_view trim(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

bool starts_with_unit(std::string_view text) {
    if (text.size() < kUnit.size()) return false;
    for (std::size_t i = 0; i < kUnit.size(); ++i) {
        const char c = text[i];
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != kUnit[i]) return false;
    }
    return true;
}

// Decimal digits only; none, or too many for 64 bits, is no number.
std::optional<std::uint64_t> number(std::string_view digits) {
    if (digits.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

}  // namespace

std::optional<RangeRequest> parse_byte_range(std::string_view header, std::uint64_t size) {
    header = trim(header);
    if (!starts_with_unit(header)) return std::nullopt;
    const std::string_view spec = trim(header.substr(kUnit.size()));
    const std::size_t dash = spec.find('-');
    if (dash == std::string_view::npos || spec.find(',') != std::string_view::npos) return std::nullopt;
    const std::string_view first_text = spec.substr(0, dash);
    const std::string_view last_text = spec.substr(dash + 1);

    if (first_text.empty()) {
        // The last N bytes.
        const auto suffix = number(last_text);
        if (!suffix) return std::nullopt;
        if (*suffix == 0) return UnsatisfiableRange{};
        if (size == 0) return std::nullopt;
        return ByteRange{size - std::min(*suffix, size), size - 1};
    }
    const auto first = number(first_text);
    if (!first) return std::nullopt;
    std::uint64_t last = std::numeric_limits<std::uint64_t>::max();
    if (!last_text.empty()) {
        const auto given = number(last_text);
        if (!given || *given < *first) return std::nullopt;
        last = *given;
    }
    if (*first >= size) return UnsatisfiableRange{};
    return ByteRange{*first, std::min(last, size - 1)};
}

std::string_view honoured_range(std::string_view method, std::string_view range, bool has_if_range) {
    // Methods are case-sensitive; HEAD and POST define no range handling.
    if (method != "GET" || has_if_range) return {};
    return range;
}

}  // namespace core
