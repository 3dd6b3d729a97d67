#pragma once

#include <windows.h>

#include <string>

#include "core/error/error.h"

namespace win32 {

// Registers one of the player's window classes in the shape they all share: no class
// style, no extra bytes, the program's icon resource 1 at the large and small sizes, the
// arrow cursor, no background brush and no menu. A failure is reported as the prefix
// followed by the system error number.
core::Status register_player_window_class(const wchar_t* class_name, WNDPROC procedure,
                                          const std::string& failure_prefix);

}  // namespace win32
