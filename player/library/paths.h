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

// The form in which every file-system call takes a path: the full path behind "\\?\"
// ("\\?\UNC\server\share\..." for a share), so that no call is held to the 260-character
// limit of plain paths. A path in that form already, or a device path, is used unchanged.
core::Result<std::wstring> long_path(std::string_view path);

}  // namespace player
