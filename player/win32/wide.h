#pragma once

#include <string>
#include <string_view>

#include "core/error/error.h"

namespace win32 {

// UTF-8 inside, UTF-16 at the Windows API: the two conversions every call goes through.
core::Result<std::wstring> to_wide(std::string_view text);
core::Result<std::string> to_utf8(std::wstring_view text);

}  // namespace win32
