#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace core {

enum class JsonStyle {
    compact,  // no white space at all
    pretty,   // one member or element per line, two spaces per level
};

// Writes one JSON value by calls in document order, for records written to disk or sent
// to the page. Strings are expected to be valid UTF-8 and are escaped as JSON requires.
class JsonWriter {
public:
    explicit JsonWriter(JsonStyle style);
    ~JsonWriter();
    JsonWriter(const JsonWriter&) = delete;
    JsonWriter& operator=(const JsonWriter&) = delete;

    JsonWriter& begin_object();
    JsonWriter& end_object();
    JsonWriter& begin_array();
    JsonWriter& end_array();
    JsonWriter& key(std::string_view name);
    JsonWriter& string(std::string_view value);
    JsonWriter& uint(std::uint64_t value);
    JsonWriter& integer(std::int64_t value);
    // Finite values only; written in the shortest form that reads back exactly.
    JsonWriter& number(double value);
    JsonWriter& boolean(bool value);
    JsonWriter& null();

    // The text written so far (without a final line feed).
    std::string text() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// value as a JSON string literal, quotes included.
std::string json_quote(std::string_view value);

}  // namespace core
