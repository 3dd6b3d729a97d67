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
// gives nothing, and the whole resource is answered as without the header. A suffix range
// of an empty resource gives nothing too: it is satisfiable, yet has no byte to send.
std::optional<RangeRequest> parse_byte_range(std::string_view header, std::uint64_t size);

// The Range header value a request's answer may honour (RFC 9110): only a GET's, and not
// when an If-Range accompanies it, since the answers carry no validator it could match.
std::string_view honoured_range(std::string_view method, std::string_view range, bool has_if_range);

}  // namespace core
