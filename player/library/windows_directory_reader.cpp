#include "player/library/windows_directory_reader.h"

#include "core/fs/entry_kind.h"
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

core::Status WindowsDirectoryReader::check_before_listing(std::string_view folder) const {
    if (!plain_folders_.contains(folder)) return check_plain_directory_chain(folder);
    auto own = read_own_attributes(folder);
    if (!own) return std::unexpected(own.error());
    return core::check_plain_directory_entry(own->attributes, own->reparse_tag);
}

core::Status WindowsDirectoryReader::list(std::string_view folder,
                                          const std::function<core::Status(const core::DirectoryEntry&)>& visit) {
    // Checked right before the listing, to narrow the window in which a folder could be
    // swapped for a link.
    if (auto plain = check_before_listing(folder); !plain) return plain;
    return for_each_raw_entry(folder, [&](const WIN32_FIND_DATAW& data) -> core::Status {
        const core::DirectoryEntry entry = describe_entry(data);
        if (entry.name && core::check_plain_directory_entry(entry.attributes, entry.reparse_tag)) {
            plain_folders_.insert(join_path(folder, *entry.name));
        }
        return visit(entry);
    });
}

core::Result<core::Bytes> WindowsDirectoryReader::read_file(std::string_view path, std::uint64_t limit) {
    return read_file_limited(path, limit);
}

std::string WindowsDirectoryReader::join(std::string_view folder, std::string_view name) const {
    return join_path(folder, name);
}

}  // namespace player
