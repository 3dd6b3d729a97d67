#pragma once

#include <string>

#include "core/error/error.h"

namespace player {

// The full path of the running executable.
core::Result<std::string> executable_path();

}  // namespace player
