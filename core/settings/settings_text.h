#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/settings/config.h"

namespace core {

// The settings file's text: members "package", "fps", "selected_id", "removed" in this
// order, two-space indentation, absent values as null, an empty "removed" left out, no
// line feed after the closing brace. Nothing when a text is not valid UTF-8.
std::optional<std::string> format_settings(const Config& config);

// Reads the settings file leniently: any subset of the members in any order, unknown
// members ignored. Nothing when the text is not one JSON object, a member is repeated or
// a known member has the wrong type; the caller then uses the defaults.
std::optional<Config> parse_settings(std::string_view text);

}  // namespace core
