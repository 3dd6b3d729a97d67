#pragma once

#include <windows.h>

#include <cstdint>
#include <span>

#include "core/error/error.h"

namespace win32 {

// Writes all bytes to an open file, in chunks WriteFile can take; a write that makes no
// progress is a failure rather than an endless loop.
core::Status write_all(HANDLE file, std::span<const std::uint8_t> bytes);

}  // namespace win32
