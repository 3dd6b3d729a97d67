#pragma once

#include <string_view>

#include "core/content/wallpaper_item.h"
#include "core/folder/directory_reader.h"
#include "core/folder/wallpaper_folder.h"

namespace tools {

// The folder rules' file-system calls on Linux, for the publisher tool and native tests.
// Entries are described by their own attributes: a symbolic link is reported as a
// Windows symbolic link (a reparse point with the symlink tag) and never followed, and a
// name that is not valid UTF-8 has none. Entries are visited in the order readdir gives.
class PosixDirectoryReader final : public core::DirectoryReader {
public:
    core::Status list(std::string_view folder,
                      const std::function<core::Status(const core::DirectoryEntry&)>& visit) override;
    // Only regular files are read; a link, a folder or a device is refused.
    core::Result<core::Bytes> read_file(std::string_view path, std::uint64_t limit) override;
    std::string join(std::string_view folder, std::string_view name) const override;
};

// A wallpaper folder loaded as the player loads one: the root must be a directory
// itself (not a link) and is used in its resolved form, its "manifest.json" must be a
// file, and then core::load_wallpaper_folder_with applies every content rule.
core::Result<core::WallpaperItem> load_wallpaper_folder_posix(std::string_view root);
// The same checks, every problem at once (core::check_wallpaper_folder_with).
core::FolderReport check_wallpaper_folder_posix(std::string_view root);

}  // namespace tools
