#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/error/error.h"

namespace core {

// The description of a strict JSON record: an object whose members are exactly the ones
// listed, each required once, each with a fixed type. Every member writes to a place the
// caller owns, so one description serves both a whole file and an object nested in
// another record. Member names are kept as views: pass string literals.
//
//     Manifest manifest;
//     JsonRecord record;
//     record.string("id", manifest.id).uint32("version", manifest.version);
//     Status status = read_json_record(text, record);
class JsonRecord {
public:
    // Receives each member of a free-form object: its name and its string value, both
    // valid UTF-8. An error it returns ends the reading and reaches the caller unchanged.
    using MemberVisitor = std::function<Status(std::string_view name, std::string_view value)>;

    enum class Kind { string, uint32, record, string_map };

    struct Member {
        std::string_view name;
        Kind kind;
        std::string* text = nullptr;
        std::uint32_t* number = nullptr;
        const JsonRecord* nested = nullptr;
        MemberVisitor visit;
    };

    // A JSON string, unescaped, valid UTF-8.
    JsonRecord& string(std::string_view name, std::string& out);
    // A JSON integer from 0 to 4294967295: no sign, fraction or exponent.
    JsonRecord& uint32(std::string_view name, std::uint32_t& out);
    // A JSON object read by another record description.
    JsonRecord& record(std::string_view name, const JsonRecord& nested);
    // A JSON object with any member names whose values are all strings, handed to visit
    // one by one in the order of the text. Repeated names are the visitor's concern.
    JsonRecord& string_map(std::string_view name, MemberVisitor visit);

    std::span<const Member> members() const { return members_; }

private:
    std::vector<Member> members_;
};

// Reads text as one JSON object described by record (RFC 8259, nothing but space, tab,
// line feed and carriage return around it). Errors name the member, the expected type,
// and the line and column (both from 1, the column counted in bytes) of the problem.
// String views handed to visitors live only for the call of the visitor.
Status read_json_record(std::string_view text, const JsonRecord& record);

// The same without copying text, for large documents: a string value without escape
// sequences is handed to a visitor as a view into text itself, which stays valid as long
// as text does (test with json_view_is_within). text is not modified, and a NUL byte must
// follow it in memory (as one follows a std::string or a TextBuffer).
Status read_json_record_borrowing(std::string_view text, const JsonRecord& record);

// Whether view points into text (and so outlives the visitor's call).
bool json_view_is_within(std::string_view view, std::string_view text);

}  // namespace core
