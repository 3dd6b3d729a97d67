#include "player/library/windows_directory_reader.h"

#include "player/library/file_entry.h"
#include "player/library/fs_guards.h"
#include "player/library/paths.h"
#include "player/win32/wide.h"

namespace player {

core::DirectoryEntry describe_entry(const WIN32_FIND_DATAW& data) {
    core::DirectoryEntry entry;
    if (auto name = win32::to_utf8(data.cFileName)) entry.name = std::move(*name);
    entry.attributes = data.dwFileAttributes;
    // dwReserved0 holds the tag only for reparse points; otherwise it is undefined.
    entry.reparse_tag = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? data.dwReserved0 : 0;
    return entry;
}

core::Status WindowsDirectoryReader::list(std::string_view folder,
                                          const std::function<core::Status(const core::DirectoryEntry&)>& visit) {
    // The entry was plain when its parent was listed; checking again right before the
    // listing narrows the window in which it could be swapped for a link.
    if (auto plain = check_plain_directory_chain(folder); !plain) return plain;
    return for_each_raw_entry(folder, [&](const WIN32_FIND_DATAW& data) { return visit(describe_entry(data)); });
}

core::Result<core::Bytes> WindowsDirectoryReader::read_file(std::string_view path, std::uint64_t limit) {
    return read_file_limited(path, limit);
}

std::string WindowsDirectoryReader::join(std::string_view folder, std::string_view name) const {
    return join_path(folder, name);
}

}  // namespace player
