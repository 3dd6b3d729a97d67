#pragma once

#include <windows.h>

#include <string>

#include "core/error/error.h"

namespace win32 {

// The system's own description of an error code, followed by " (os error N)".
core::Error system_error(DWORD code);

// The calling thread's last error.
core::Error last_error();

}  // namespace win32
