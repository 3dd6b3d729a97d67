#include "player/library/directories.h"

#include <windows.h>

#include "player/library/paths.h"
#include "player/win32/system_error.h"
#include "player/win32/wide.h"

namespace player {

core::Status create_directory(std::string_view path) {
    auto wide = long_path(path);
    if (!wide) return std::unexpected(wide.error());
    if (::CreateDirectoryW(wide->c_str(), nullptr)) return {};
    const DWORD code = ::GetLastError();
    if (code == ERROR_ALREADY_EXISTS) {
        const DWORD attributes = ::GetFileAttributesW(wide->c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return {};
    }
    return std::unexpected(win32::failed_call("CreateDirectoryW", code));
}

core::Status create_directory_tree(std::string_view path) {
    if (can_examine(path)) return create_directory(path);
    if (const auto parent = parent_path(path); parent && !can_examine(*parent)) {
        if (auto created = create_directory_tree(*parent); !created) return created;
    }
    return create_directory(path);
}

bool can_examine(std::string_view path) {
    auto wide = long_path(path);
    return wide && ::GetFileAttributesW(wide->c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace player
