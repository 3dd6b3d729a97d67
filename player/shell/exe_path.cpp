#include "player/shell/exe_path.h"

#include <windows.h>

#include <vector>

#include "player/win32/system_error.h"
#include "player/win32/wide.h"

namespace player {

core::Result<std::wstring> executable_path_utf16() {
    std::vector<wchar_t> buffer(MAX_PATH);
    while (true) {
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return std::unexpected(win32::last_error());
        // A full buffer means the path was cut short: grow and ask again.
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        if (buffer.size() >= 32768) return std::unexpected(win32::system_error(ERROR_INSUFFICIENT_BUFFER));
        buffer.resize(buffer.size() * 2);
    }
}

core::Result<std::string> executable_path() {
    auto path = executable_path_utf16();
    if (!path) return std::unexpected(path.error());
    return win32::to_utf8(*path);
}

}  // namespace player
