#pragma once

#include <string>

#include "core/error/error.h"

namespace player {

// The full path of the running executable.
core::Result<std::string> executable_path();

// The same path as the system gives it, before any conversion; for callers that must
// report an unconvertible path in their own words.
core::Result<std::wstring> executable_path_utf16();

}  // namespace player
