#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/content/wallpaper_item.h"
#include "core/error/error.h"
#include "core/folder/wallpaper_folder.h"
#include "core/library/library.h"
#include "player/library/windows_directory_reader.h"

namespace player {

using core::choose_entry;
using core::Library;
using core::LibraryEntry;

// Verifies one wallpaper folder in full: the folder and its path are plain, the manifest
// and every asset file are read and checked. The reader defaults to a fresh one.
// With AssetBytes::discard, every file is read and checked, but no asset bytes are kept.
core::Result<core::WallpaperItem> load_wallpaper_folder(std::string_view folder, WindowsDirectoryReader& reader,
                                                        core::AssetBytes asset_bytes = core::AssetBytes::keep);
core::Result<core::WallpaperItem> load_wallpaper_folder(std::string_view folder);

// A verified folder as a library row: its name must equal the manifest id. The asset
// files are read in full, but their bytes are never kept.
core::Result<LibraryEntry> load_library_entry(std::string_view folder, WindowsDirectoryReader& reader);

// The row of a folder already loaded: the name check of load_library_entry alone.
core::Result<LibraryEntry> library_entry_for(std::string_view folder, const core::Manifest& manifest);

// The full paths of a folder's entries in ascending name byte order; more than 128
// entries fail. The caller guards the folder. A name that is not Unicode text appears
// with replacement characters, so it can never match a wallpaper id.
core::Result<std::vector<std::string>> list_folder_entries(std::string_view folder);
// Refuses a listed path whose name was not text ("wallpaper folder must match manifest
// ID") before anything reads it.
core::Status check_listed_name(std::string_view folder);

// D\library: the folder every library wallpaper lives in, one sub-folder per id.
std::string library_folder(std::string_view data_folder);

// Rebuilds the listing of D\library: every folder verified, staging folders skipped,
// each rejection logged as "library rejected item: ..." and counted in the notice.
// Never fails.
Library reload_library(std::string_view data_folder, WindowsDirectoryReader& reader);
Library reload_library(std::string_view data_folder);

}  // namespace player
