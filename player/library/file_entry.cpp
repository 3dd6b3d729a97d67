#include "player/library/file_entry.h"

#include <vector>

#include "core/fs/entry_kind.h"
#include "player/library/paths.h"
#include "player/win32/system_error.h"
#include "player/win32/unique_resource.h"
#include "player/win32/wide.h"

namespace player {

core::Result<OwnAttributes> read_own_attributes(std::string_view path) {
    auto wide = win32::to_wide(path);
    if (!wide) return std::unexpected(wide.error());
    WIN32_FILE_ATTRIBUTE_DATA data{};
    // GetFileAttributesExW describes the entry itself, never a link's target.
    if (!::GetFileAttributesExW(wide->c_str(), GetFileExInfoStandard, &data)) {
        return std::unexpected(win32::last_error());
    }
    OwnAttributes own{
        .attributes = data.dwFileAttributes,
        .reparse_tag = 0,
        .size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
    };
    if (own.is_reparse_point()) {
        // Only a directory search reports the tag. A root has no entry to find; an unknown
        // tag stays 0, which still refuses the entry.
        WIN32_FIND_DATAW found{};
        const win32::unique_find find(
            ::FindFirstFileExW(wide->c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0));
        if (find) own.reparse_tag = found.dwReserved0;
    }
    return own;
}

core::Status refuse_reparse_point(const OwnAttributes& entry) {
    return core::check_not_reparse_point(entry.attributes, entry.reparse_tag);
}

core::Result<std::string> final_path(std::string_view path) {
    auto wide = win32::to_wide(path);
    if (!wide) return std::unexpected(wide.error());
    // No access rights are needed to ask for the name; backup semantics open folders too.
    const win32::unique_file handle(::CreateFileW(
        wide->c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle) return std::unexpected(win32::last_error());
    std::vector<wchar_t> buffer(MAX_PATH);
    while (true) {
        const DWORD length = ::GetFinalPathNameByHandleW(handle.get(), buffer.data(),
                                                         static_cast<DWORD>(buffer.size()), FILE_NAME_NORMALIZED);
        if (length == 0) return std::unexpected(win32::last_error());
        if (length < buffer.size()) return win32::to_utf8(std::wstring_view(buffer.data(), length));
        buffer.resize(length + 1);
    }
}

core::Status for_each_raw_entry(std::string_view folder,
                                const std::function<core::Status(const WIN32_FIND_DATAW&)>& visit) {
    auto pattern = win32::to_wide(join_path(folder, "*"));
    if (!pattern) return std::unexpected(pattern.error());
    WIN32_FIND_DATAW data{};
    const win32::unique_find find(::FindFirstFileExW(pattern->c_str(), FindExInfoBasic, &data,
                                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find) {
        // An empty drive root has not even "." and "..".
        if (::GetLastError() == ERROR_FILE_NOT_FOUND) return {};
        return std::unexpected(win32::last_error());
    }
    do {
        const std::wstring_view name(data.cFileName);
        if (name == L"." || name == L"..") continue;
        if (auto visited = visit(data); !visited) return visited;
    } while (::FindNextFileW(find.get(), &data));
    if (::GetLastError() != ERROR_NO_MORE_FILES) return std::unexpected(win32::last_error());
    return {};
}

}  // namespace player
