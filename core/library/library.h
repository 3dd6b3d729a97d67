#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/content/wallpaper_id.h"
#include "core/error/error.h"

namespace core {

// One listed wallpaper; it holds no asset bytes.
struct LibraryEntry {
    WallpaperId id;
    std::string name;
    std::string folder;  // the folder's path exactly as listed

    bool operator==(const LibraryEntry&) const = default;
};

// The library listing, sorted by id, and the notice about skipped folders.
struct Library {
    std::vector<LibraryEntry> entries;
    std::optional<std::string> notice;
};

// A library folder (and a "wallpapers" folder) holds at most this many entries, so that
// one rebuild reads a bounded amount.
inline constexpr std::size_t kMaxLibraryItems = 128;

// Prefix of the staging folders of installations; the library skips them silently.
inline constexpr std::string_view kStagingPrefix = ".tessary-";

std::string library_size_message();

// Ascending byte order of the ids, a prefix first; equal ids keep their order.
void sort_library_entries(std::vector<LibraryEntry>& entries);

// The folder's display path, ": " and the error chain.
std::string rejection_text(std::string_view display_path, const Error& error);

// The notice for the given number of rejections; none without rejections.
std::optional<std::string> library_notice(std::size_t rejections);

// The entry to play: the requested id (which must be installed), else the remembered
// one if installed, else the first; none for an empty library.
Result<std::optional<LibraryEntry>> choose_entry(const std::vector<LibraryEntry>& entries,
                                                 const std::optional<std::string>& requested,
                                                 const std::optional<std::string>& remembered);

}  // namespace core
