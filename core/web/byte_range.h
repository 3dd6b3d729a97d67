#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <variant>

namespace core {

// One satisfiable range of a resource: bytes first to last, both included.
struct ByteRange {
    std::uint64_t first = 0;
    std::uint64_t last = 0;

    bool operator==(const ByteRange&) const = default;
};

// A range that names no byte of the resource.
struct UnsatisfiableRange {
    bool operator==(const UnsatisfiableRange&) const = default;
};

using RangeRequest = std::variant<ByteRange, UnsatisfiableRange>;

// Reads a Range header's value against a resource of the given size: one "bytes=" range
// ("A-B", "A-" or the suffix "-N", blanks around it allowed, the unit in any case) is
// clipped to the resource; anything else (several ranges, another unit, bad syntax, A > B)
// gives nothing, and the whole resource is answered as without the header.
std::optional<RangeRequest> parse_byte_range(std::string_view header, std::uint64_t size);

}  // namespace core
