#include "player/library/windows_directory_reader.h"

#include "core/fs/entry_kind.h"
#include "player/library/paths.h"
#include "player/win32/wide.h"

namespace player {

core::DirectoryEntry describe_entry(const RawEntry& raw) {
    core::DirectoryEntry entry;
    if (auto name = win32::to_utf8(raw.name)) entry.name = std::move(*name);
    entry.attributes = raw.attributes;
    entry.reparse_tag = (raw.attributes & FILE_ATTRIBUTE_REPARSE_POINT) ? raw.reparse_tag : 0;
    return entry;
}

core::Status WindowsDirectoryReader::check_chain(std::string_view folder) {
    return check_plain_directory_chain(folder, checked_);
}

core::Result<std::string> WindowsDirectoryReader::open_root(std::string_view folder) {
    auto opened = open_folder_entry(folder);
    if (!opened) return std::unexpected(opened.error());
    auto own = own_attributes_of(opened->get());
    if (!own) return std::unexpected(own.error());
    if (auto refused = refuse_reparse_point(*own); !refused) return std::unexpected(refused.error());
    if (!own->is_directory()) return core::fail("source must be a directory");
    auto resolved = final_path_of(opened->get());
    if (!resolved) return std::unexpected(resolved.error());
    open_root_path_ = *resolved;
    open_root_ = std::move(*opened);
    return resolved;
}

core::Result<win32::unique_file> WindowsDirectoryReader::open_for_listing(std::string_view folder) {
    if (open_root_ && folder == open_root_path_) {
        // Its chain was checked before it was opened. The handle is checked again, as for
        // any listing, and is what gets listed, whatever became of the path meanwhile.
        win32::unique_file root = std::move(open_root_);
        if (auto plain = check_open_folder(root.get()); !plain) return std::unexpected(plain.error());
        return root;
    }
    // Checked right before the listing, to narrow the window in which a folder could be
    // swapped for a link; then checked once more on the open handle.
    if (auto plain = check_chain(folder); !plain) return std::unexpected(plain.error());
    return open_plain_folder(folder);
}

core::Status WindowsDirectoryReader::list(std::string_view folder,
                                          const std::function<core::Status(const core::DirectoryEntry&)>& visit) {
    auto opened = open_for_listing(folder);
    if (!opened) return std::unexpected(opened.error());
    return for_each_raw_entry(opened->get(), [&](const RawEntry& raw) -> core::Status {
        const core::DirectoryEntry entry = describe_entry(raw);
        // Its chain is this folder's, checked above, and its own attributes are plain.
        if (entry.name && core::check_plain_directory_entry(entry.attributes, entry.reparse_tag)) {
            checked_.insert(join_path(folder, *entry.name));
        }
        return visit(entry);
    });
}

core::Result<core::Bytes> WindowsDirectoryReader::read_file(std::string_view path, std::uint64_t limit) {
    return read_file_limited(path, limit);
}

core::Result<std::uint64_t> WindowsDirectoryReader::read_file_discarding(std::string_view path,
                                                                         std::uint64_t limit) {
    return read_file_limited_discarding(path, limit, scratch_);
}

std::string WindowsDirectoryReader::join(std::string_view folder, std::string_view name) const {
    return join_path(folder, name);
}

}  // namespace player
