#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "core/content/wallpaper_item.h"
#include "core/error/error.h"
#include "core/folder/directory_reader.h"

namespace core {

// The rules that decide whether a wallpaper folder is acceptable, shared by the player's
// folder loader and the publisher tool so that a package the tool builds is one the
// player accepts. The caller has already made sure that root is a plain directory, given
// in its final resolved form, and that its "manifest.json" is a plain file. In order:
// read "manifest.json" (at most 8192 bytes), parse_manifest, validate_manifest,
// validate_library_id on the id, walk_wallpaper_folder from root at depth 0,
// check_asset_paths over the collected paths with "manifest.json" occupied, and the
// entry page must be one of the assets ("entry HTML is missing"). The first failure is
// returned unchanged.
//
// With AssetBytes::discard every file is read and checked all the same, but the item's
// assets map to no bytes: for a caller that keeps only the manifest.
enum class AssetBytes { keep, discard };
Result<WallpaperItem> load_wallpaper_folder_with(DirectoryReader& reader, std::string_view root,
                                                 AssetBytes asset_bytes = AssetBytes::keep);

// Every problem of a folder at once, for authors' tools: the same steps as
// load_wallpaper_folder_with, but a failure of one file or rule is added to problems and
// the check goes on. Each problem names its file as the outer message of its chain
// ("manifest.json: fps must be 30 or 60"), and the first is the failure
// load_wallpaper_folder_with returns for the same listing. The manifest and the assets are
// whatever could be read, for checks of their own.
struct FolderReport {
    std::optional<Manifest> manifest;
    AssetMap assets;
    std::vector<Error> problems;
};
FolderReport check_wallpaper_folder_with(DirectoryReader& reader, std::string_view root);

}  // namespace core
