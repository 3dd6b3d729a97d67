#include "player/library/file_entry.h"

#include <vector>

#include "core/fs/entry_kind.h"
#include "player/library/paths.h"
#include "player/win32/system_error.h"
#include "player/win32/unique_resource.h"
#include "player/win32/wide.h"

namespace player {

core::Result<OwnAttributes> read_own_attributes(std::string_view path) {
    auto wide = long_path(path);
    if (!wide) return std::unexpected(wide.error());
    WIN32_FILE_ATTRIBUTE_DATA data{};
    // GetFileAttributesExW describes the entry itself, never a link's target.
    if (!::GetFileAttributesExW(wide->c_str(), GetFileExInfoStandard, &data)) {
        return std::unexpected(win32::failed_call("GetFileAttributesExW"));
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
    auto wide = long_path(path);
    if (!wide) return std::unexpected(wide.error());
    // No access rights are needed to ask for the name; backup semantics open folders too.
    const win32::unique_file handle(::CreateFileW(
        wide->c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle) return std::unexpected(win32::failed_call("CreateFileW"));
    return final_path_of(handle.get());
}

core::Result<std::string> final_path_of(HANDLE entry) {
    std::vector<wchar_t> buffer(MAX_PATH);
    while (true) {
        const DWORD length =
            ::GetFinalPathNameByHandleW(entry, buffer.data(), static_cast<DWORD>(buffer.size()), FILE_NAME_NORMALIZED);
        if (length == 0) return std::unexpected(win32::failed_call("GetFinalPathNameByHandleW"));
        if (length < buffer.size()) return win32::to_utf8(std::wstring_view(buffer.data(), length));
        buffer.resize(length + 1);
    }
}

core::Result<win32::unique_file> open_folder_entry(std::string_view path) {
    auto wide = long_path(path);
    if (!wide) return std::unexpected(wide.error());
    win32::unique_file folder(::CreateFileW(wide->c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                            nullptr));
    if (!folder) return std::unexpected(win32::failed_call("CreateFileW"));
    return folder;
}

core::Result<OwnAttributes> own_attributes_of(HANDLE entry) {
    FILE_ATTRIBUTE_TAG_INFO own{};
    if (!::GetFileInformationByHandleEx(entry, FileAttributeTagInfo, &own, sizeof own)) {
        return std::unexpected(win32::failed_call("GetFileInformationByHandleEx"));
    }
    const bool reparse = (own.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    return OwnAttributes{.attributes = own.FileAttributes, .reparse_tag = reparse ? own.ReparseTag : 0};
}

core::Status check_open_folder(HANDLE folder) {
    auto own = own_attributes_of(folder);
    if (!own) return std::unexpected(own.error());
    return core::check_plain_directory_entry(own->attributes, own->reparse_tag);
}

core::Result<win32::unique_file> open_plain_folder(std::string_view path) {
    auto folder = open_folder_entry(path);
    if (!folder) return folder;
    if (auto plain = check_open_folder(folder->get()); !plain) return std::unexpected(plain.error());
    return folder;
}

core::Status for_each_raw_entry(HANDLE folder, const std::function<core::Status(const RawEntry&)>& visit) {
    // Room for a few hundred entries a call; 8-byte aligned as the records require.
    std::vector<std::uint64_t> buffer(8192);
    const DWORD buffer_bytes = static_cast<DWORD>(buffer.size() * sizeof(std::uint64_t));
    FILE_INFO_BY_HANDLE_CLASS query = FileFullDirectoryRestartInfo;
    while (::GetFileInformationByHandleEx(folder, query, buffer.data(), buffer_bytes)) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(buffer.data());
        std::size_t offset = 0;
        while (true) {
            const auto* record = reinterpret_cast<const FILE_FULL_DIR_INFO*>(bytes + offset);
            const std::wstring_view name(record->FileName, record->FileNameLength / sizeof(wchar_t));
            if (name != L"." && name != L"..") {
                const bool reparse = (record->FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
                const RawEntry entry{
                    .name = name,
                    .attributes = record->FileAttributes,
                    // For a reparse point the listing gives the tag in place of the EA size.
                    .reparse_tag = reparse ? record->EaSize : 0,
                    .size = static_cast<std::uint64_t>(record->EndOfFile.QuadPart),
                };
                if (auto visited = visit(entry); !visited) return visited;
            }
            if (record->NextEntryOffset == 0) break;
            offset += record->NextEntryOffset;
        }
        query = FileFullDirectoryInfo;
    }
    const DWORD code = ::GetLastError();
    if (code == ERROR_NO_MORE_FILES) return {};
    // An empty drive root has not even "." and "..": its first query finds nothing.
    if (code == ERROR_FILE_NOT_FOUND && query == FileFullDirectoryRestartInfo) return {};
    return std::unexpected(win32::failed_call("GetFileInformationByHandleEx", code));
}

core::Status for_each_raw_entry(std::string_view folder, const std::function<core::Status(const RawEntry&)>& visit) {
    auto opened = open_plain_folder(folder);
    if (!opened) return std::unexpected(opened.error());
    return for_each_raw_entry(opened->get(), visit);
}

}  // namespace player
