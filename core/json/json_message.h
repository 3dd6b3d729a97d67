#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include <rapidjson/error/error.h>

namespace core {

// "line L, column C" of a byte offset in text; both count from 1, the column in bytes.
std::string json_position(std::string_view text, std::size_t offset);

// A member name as it appears in messages: quoted and escaped like a JSON string, and
// shortened when it is long, since names come from untrusted text.
std::string quote_json_name(std::string_view name);

// What went wrong, for each syntax error RapidJSON reports.
std::string_view json_syntax_error_text(rapidjson::ParseErrorCode code);

}  // namespace core
