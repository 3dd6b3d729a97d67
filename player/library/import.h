#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/content/wallpaper_item.h"
#include "core/error/error.h"
#include "player/library/windows_directory_reader.h"

namespace player {

// Installs the wallpapers that ship beside the program (E\wallpapers\<id>, E\content)
// into the library folder L, except those whose ids the user removed and those already
// installed. Returns the rejections ("<path>: <error chain>") in the order they arose;
// never fails. The reader defaults to a fresh one.
std::vector<std::string> import_portable_wallpapers(std::string_view library_folder, std::string_view exe_folder,
                                                    const std::vector<std::string>& removed,
                                                    WindowsDirectoryReader& reader);
std::vector<std::string> import_portable_wallpapers(std::string_view library_folder, std::string_view exe_folder,
                                                    const std::vector<std::string>& removed);

// Gives the next staging folder name to try; see install_into_library.
using StagingNames = std::function<core::Result<std::string>()>;

// The names of one installation: ".tessary-import-<pid>-<start ns>-<counter>" with the
// process-wide counter. Fails when the clock is before 1970.
core::Result<StagingNames> staging_names_for_now();

// Copies a verified wallpaper into L\<id> through a staging folder, verifies the copy
// byte for byte, then renames it into place. An installed id is never touched: its
// folder is returned as it is. Returns the final folder.
core::Result<std::string> install_into_library(std::string_view library_folder, const core::WallpaperItem& item,
                                               WindowsDirectoryReader& reader, const StagingNames& names);

// Deletes a folder tree as far as it safely can: never through a link, stopping at the
// first entry that is one or cannot be examined.
void remove_tree_safely(std::string_view folder);

}  // namespace player
