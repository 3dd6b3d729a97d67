#pragma once

#include <string_view>

#include "core/error/error.h"
#include "core/settings/config.h"

namespace player {

using Config = core::Config;

// Reads D\settings.json; a missing, unreadable or damaged file gives the defaults,
// silently.
Config load_settings(std::string_view data_folder);

// Replaces D\settings.json as a whole: the new text goes to a temporary file in D that
// is then renamed over the old one, so a crash at any moment leaves either the old or
// the new file, never a truncated one. A configuration whose text is not all Unicode is
// not written, and that is not an error.
core::Status write_settings_file(std::string_view data_folder, const Config& config);

// write_settings_file, with a failure logged as "settings: " and the system's text; the
// caller's settings stay as they are.
void save_settings(std::string_view data_folder, const Config& config);

}  // namespace player
