#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/error/error.h"

namespace player {

// Windows paths held as UTF-8 text, joined with a backslash.
std::string join_path(std::string_view folder, std::string_view name);

// The folder above a path, or nothing for a root ("C:\", "\\server\share\", "\\?\C:\").
std::optional<std::string> parent_path(std::string_view path);

// A path that names the same entry from any current directory and drive: "C:\..." or one
// of the "\\" forms (UNC, "\\?\", "\\.\"). "C:x" and "\x" depend on the current state.
bool is_absolute_path(std::string_view path);

// Equality component by component: either separator, repeated separators and "."
// components make no difference; letters' case does.
bool same_path(std::string_view a, std::string_view b);

// The operating system's absolute form of a path, relative to the current directory.
core::Result<std::string> full_path(std::string_view path);

}  // namespace player
