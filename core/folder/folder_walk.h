#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "core/content/asset_map.h"
#include "core/error/error.h"
#include "core/folder/directory_reader.h"

namespace core {

// Limits of one wallpaper folder, all inclusive.
inline constexpr std::uint32_t kMaxFolderNesting = 32;            // levels below the root
inline constexpr std::uint64_t kMaxFolderDirectories = 2048;      // folders listed, root included
inline constexpr std::size_t kMaxFolderAssets = 2048;
inline constexpr std::uint64_t kMaxFolderAssetBytes = 25'165'824;   // 24 MiB, one file
inline constexpr std::uint64_t kMaxFolderTotalBytes = 67'108'864;   // 64 MiB, all files

// What one walk carries from folder to folder; start with a default-constructed one.
struct FolderWalk {
    std::uint64_t directory_count = 0;
    std::uint64_t byte_total = 0;
    AssetMap assets;  // asset path (relative to the root, "/"-separated) to the file's bytes
    // Without bytes, every file is still read in full and counted, but mapped to nothing.
    bool keep_bytes = true;
    // For authors' tools: when set, a failure of one entry is added here, naming the
    // entry's asset path, and the walk goes on with the next entry, so that one run shows
    // every problem. The first one added is the failure the stopping walk returns. Limits
    // that end a walk (assets, total size) still end it, after they are added.
    std::vector<Error>* problems = nullptr;
    bool ended = false;  // a limit ended a collecting walk
};

// Collects the asset files of a wallpaper folder, refusing links, private and tool
// files, unknown extensions and everything beyond the limits; stops at the first failure.
// folder is the system path of the folder to list; asset_prefix is its asset path ("" for
// the root, which is walked at depth 0).
Status walk_wallpaper_folder(DirectoryReader& reader, std::string_view folder, std::string_view asset_prefix,
                             std::uint32_t depth, FolderWalk& walk);

}  // namespace core
