#pragma once

#include <string_view>

#include "core/error/error.h"

namespace player {

// Creates a folder and every missing folder above it; an existing folder is fine.
core::Status create_directory_tree(std::string_view path);

// Creates one folder whose parent exists; an existing folder is fine.
core::Status create_directory(std::string_view path);

// Whether the entry's attributes can be read at all (it exists and is reachable).
bool can_examine(std::string_view path);

}  // namespace player
