#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "core/text/hex.h"

namespace win32 {

// A window handle as log lines write it: "0x" and lowercase hexadecimal, 0x0 for none.
inline std::string handle_text(HWND window) { return core::hex_number(reinterpret_cast<std::uintptr_t>(window)); }

}  // namespace win32
