#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "core/error/error.h"

namespace win32 {

// The system's own description of an error code, followed by " (os error N)".
core::Error system_error(DWORD code);

// The calling thread's last error.
core::Error last_error();

// A failed call of the system, named: "<call> failed: " and system_error(code), the code
// kept. For every failure whose message no rule of the program fixes.
core::Error failed_call(std::string_view call, DWORD code);
// The same with the calling thread's last error; call it before anything else can change it.
core::Error failed_call(std::string_view call);

// A failed COM call, named: "<call> failed: 0x80004005".
core::Error failed_hresult(std::string_view call, HRESULT result);

// "0x" and lowercase hexadecimal without padding: how every HRESULT is written.
std::string hresult_text(HRESULT result);

}  // namespace win32
