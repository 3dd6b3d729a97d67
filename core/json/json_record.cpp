#include "core/json/json_record.h"

#include <cstring>
#include <functional>
#include <optional>
#include <utility>

#include <rapidjson/reader.h>
#include <rapidjson/stream.h>

#include "core/json/json_message.h"
#include "core/text/utf.h"

namespace core {

JsonRecord& JsonRecord::string(std::string_view name, std::string& out) {
    members_.push_back(Member{.name = name, .kind = Kind::string, .text = &out});
    return *this;
}

JsonRecord& JsonRecord::uint32(std::string_view name, std::uint32_t& out) {
    members_.push_back(Member{.name = name, .kind = Kind::uint32, .number = &out});
    return *this;
}

JsonRecord& JsonRecord::record(std::string_view name, const JsonRecord& nested) {
    members_.push_back(Member{.name = name, .kind = Kind::record, .nested = &nested});
    return *this;
}

JsonRecord& JsonRecord::string_map(std::string_view name, MemberVisitor visit) {
    members_.push_back(Member{.name = name, .kind = Kind::string_map, .visit = std::move(visit)});
    return *this;
}

bool json_view_is_within(std::string_view view, std::string_view text) {
    // std::less gives a total order even for pointers into different objects.
    const std::less<const char*> before;
    const char* begin = text.data();
    const char* end = begin + text.size();
    return !before(view.data(), begin) && !before(end, view.data() + view.size());
}

namespace {

constexpr std::uint64_t kLargestUint32 = 4294967295;
// Ten digits hold every value up to 4294967295; RapidJSON already refused leading zeros.
constexpr std::size_t kMaxUint32Digits = 10;

std::optional<std::uint32_t> parse_uint32(std::string_view digits) {
    if (digits.empty() || digits.size() > kMaxUint32Digits) return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;  // sign, fraction or exponent
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (value > kLargestUint32) return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

std::string_view expected_type(JsonRecord::Kind kind) {
    switch (kind) {
        case JsonRecord::Kind::string: return "a string";
        case JsonRecord::Kind::uint32: return "an integer from 0 to 4294967295";
        case JsonRecord::Kind::record:
        case JsonRecord::Kind::string_map: return "an object";
    }
    return "a value";
}

// SAX handler that reads one record description, keeping one frame per open object.
// RapidJSON calls it with the stream positioned at the start of a string or number and
// just after any other token, which is how the positions in messages are found.
class RecordHandler {
public:
    RecordHandler(std::string_view source, const rapidjson::StringStream& stream,
                  const JsonRecord& root, bool borrowing)
        : source_(source), stream_(stream), root_(root), borrowing_(borrowing) {}

    std::optional<Error>& error() { return error_; }

    bool StartObject() {
        const std::size_t start = stream_.Tell() - 1;
        if (frames_.empty()) {
            frames_.push_back(Frame{.record = &root_, .seen = std::vector<bool>(root_.members().size())});
            return true;
        }
        Frame& frame = frames_.back();
        if (frame.map != nullptr) return map_value_type_error(frame, start);
        const JsonRecord::Member& member = *frame.pending;
        std::string path = member_path(frame, member.name);
        if (member.kind == JsonRecord::Kind::record) {
            frames_.push_back(Frame{.record = member.nested, .path = std::move(path),
                                    .seen = std::vector<bool>(member.nested->members().size())});
            return true;
        }
        if (member.kind == JsonRecord::Kind::string_map) {
            frames_.push_back(Frame{.path = std::move(path), .map = &member});
            return true;
        }
        return type_error(frame, member, start);
    }

    bool Key(const char* str, rapidjson::SizeType length, bool) {
        const std::size_t start = stream_.Tell();
        const std::string_view name(str, length);
        Frame& frame = frames_.back();
        if (!is_valid_utf8(name)) {
            return fail_at(start, "JSON member name", ": expected valid UTF-8");
        }
        if (frame.map != nullptr) {
            frame.key.assign(name);
            return true;
        }
        const auto members = frame.record->members();
        for (std::size_t i = 0; i < members.size(); ++i) {
            if (members[i].name != name) continue;
            if (frame.seen[i]) {
                return fail_at(start, "repeated JSON member " + quote_json_name(member_path(frame, name)),
                               "");
            }
            frame.seen[i] = true;
            frame.pending = &members[i];
            return true;
        }
        std::string expected = "; expected ";
        for (std::size_t i = 0; i < members.size(); ++i) {
            if (i > 0) expected += ", ";
            expected += quote_json_name(members[i].name);
        }
        return fail_at(start, "unknown JSON member " + quote_json_name(member_path(frame, name)),
                       expected);
    }

    bool String(const char* str, rapidjson::SizeType length, bool) {
        const std::size_t start = stream_.Tell();
        if (frames_.empty()) return root_type_error(start);
        const std::string_view value(str, length);
        Frame& frame = frames_.back();
        if (frame.map != nullptr) {
            if (!is_valid_utf8(value)) {
                return fail_at(start, "JSON member " + quote_json_name(member_path(frame, frame.key)),
                               ": expected valid UTF-8");
            }
            Status visited = frame.map->visit(frame.key, borrowed(start, value));
            if (!visited) {
                error_ = std::move(visited.error());
                return false;
            }
            return true;
        }
        const JsonRecord::Member& member = *frame.pending;
        if (member.kind != JsonRecord::Kind::string) return type_error(frame, member, start);
        if (!is_valid_utf8(value)) {
            return fail_at(start, "JSON member " + quote_json_name(member_path(frame, member.name)),
                           ": expected valid UTF-8");
        }
        member.text->assign(value);
        return true;
    }

    bool RawNumber(const char* str, rapidjson::SizeType length, bool) {
        const std::size_t start = stream_.Tell();
        if (frames_.empty()) return root_type_error(start);
        Frame& frame = frames_.back();
        if (frame.map != nullptr) return map_value_type_error(frame, start);
        const JsonRecord::Member& member = *frame.pending;
        if (member.kind != JsonRecord::Kind::uint32) return type_error(frame, member, start);
        const std::optional<std::uint32_t> value = parse_uint32(std::string_view(str, length));
        if (!value) return type_error(frame, member, start);
        *member.number = *value;
        return true;
    }

    bool EndObject(rapidjson::SizeType) {
        const std::size_t brace = stream_.Tell() - 1;
        const Frame& frame = frames_.back();
        if (frame.record != nullptr) {
            const auto members = frame.record->members();
            for (std::size_t i = 0; i < members.size(); ++i) {
                if (frame.seen[i]) continue;
                return fail_at(brace,
                               "missing JSON member " + quote_json_name(member_path(frame, members[i].name)),
                               "");
            }
        }
        frames_.pop_back();
        return true;
    }

    // Values no record member takes: an error for whatever member expected something else.
    bool Null() { return unexpected_value(stream_.Tell() - 4); }
    bool Bool(bool value) { return unexpected_value(stream_.Tell() - (value ? 4 : 5)); }
    bool StartArray() { return unexpected_value(stream_.Tell() - 1); }
    bool EndArray(rapidjson::SizeType) { return unexpected_value(stream_.Tell() - 1); }
    // Numbers arrive as raw text (kParseNumbersAsStringsFlag); these are never called.
    bool Int(int) { return unexpected_value(stream_.Tell()); }
    bool Uint(unsigned) { return unexpected_value(stream_.Tell()); }
    bool Int64(std::int64_t) { return unexpected_value(stream_.Tell()); }
    bool Uint64(std::uint64_t) { return unexpected_value(stream_.Tell()); }
    bool Double(double) { return unexpected_value(stream_.Tell()); }

private:
    struct Frame {
        const JsonRecord* record = nullptr;
        std::string path;  // dotted names of the enclosing members; empty at the root
        std::vector<bool> seen;
        const JsonRecord::Member* pending = nullptr;  // the member whose value comes next
        const JsonRecord::Member* map = nullptr;      // set for a free-form object
        std::string key;                              // its member whose value comes next
    };

    static std::string member_path(const Frame& frame, std::string_view name) {
        if (frame.path.empty()) return std::string(name);
        return frame.path + "." + std::string(name);
    }

    bool fail_at(std::size_t offset, std::string_view before, std::string_view after) {
        error_ = Error(std::string(before) + " at " + json_position(source_, offset) + std::string(after));
        return false;
    }

    bool type_error(const Frame& frame, const JsonRecord::Member& member, std::size_t start) {
        return fail_at(start, "JSON member " + quote_json_name(member_path(frame, member.name)),
                       ": expected " + std::string(expected_type(member.kind)));
    }

    bool map_value_type_error(const Frame& frame, std::size_t start) {
        return fail_at(start, "JSON member " + quote_json_name(member_path(frame, frame.key)),
                       ": expected a string");
    }

    bool root_type_error(std::size_t start) {
        return fail_at(start, "JSON text", ": expected an object");
    }

    bool unexpected_value(std::size_t start) {
        if (frames_.empty()) return root_type_error(start);
        const Frame& frame = frames_.back();
        if (frame.map != nullptr) return map_value_type_error(frame, start);
        return type_error(frame, *frame.pending, start);
    }

    // A string without escape sequences is the same bytes in the source: hand those out,
    // so that a borrowing caller can keep them without a copy.
    std::string_view borrowed(std::size_t quote, std::string_view value) const {
        if (!borrowing_) return value;
        const std::size_t begin = quote + 1;
        if (begin + value.size() >= source_.size() || source_[begin + value.size()] != '"') return value;
        if (std::memchr(source_.data() + begin, '\\', value.size()) != nullptr) return value;
        return std::string_view(source_).substr(begin, value.size());
    }

    std::string_view source_;
    const rapidjson::StringStream& stream_;
    const JsonRecord& root_;
    const bool borrowing_;
    std::vector<Frame> frames_;
    std::optional<Error> error_;
};

bool is_json_white_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// source must be followed by a NUL byte in memory.
Status read_terminated(std::string_view source, const JsonRecord& record, bool borrowing) {
    // No kParseValidateEncodingFlag: it turns off RapidJSON's fast string scanning; the
    // handler validates every name and string itself. The recursive parse is safe here:
    // the handler refuses every array and every object no record member expects before
    // RapidJSON descends into it, so nesting never goes deeper than the record itself.
    constexpr unsigned kFlags = rapidjson::kParseStopWhenDoneFlag | rapidjson::kParseNumbersAsStringsFlag;
    rapidjson::StringStream stream(source.data());
    RecordHandler handler(source, stream, record, borrowing);
    rapidjson::Reader reader;
    const rapidjson::ParseResult result = reader.Parse<kFlags>(stream, handler);
    if (handler.error()) return std::unexpected(std::move(*handler.error()));
    if (result.IsError()) {
        return fail("JSON syntax error at " + json_position(source, result.Offset()) + ": " +
                    std::string(json_syntax_error_text(result.Code())));
    }
    // RapidJSON stops at the first NUL byte; one that is part of the text is trailing data.
    for (std::size_t i = stream.Tell(); i < source.size(); ++i) {
        if (!is_json_white_space(source[i])) {
            return fail("JSON text at " + json_position(source, i) +
                        ": expected nothing but white space after the object");
        }
    }
    return {};
}

}  // namespace

Status read_json_record(std::string_view text, const JsonRecord& record) {
    // RapidJSON's fast in-memory stream needs a terminating NUL.
    const std::string source(text);
    return read_terminated(source, record, false);
}

Status read_json_record_borrowing(std::string_view text, const JsonRecord& record) {
    return read_terminated(text, record, true);
}

}  // namespace core
