#include "core/folder/wallpaper_folder.h"

#include <string>
#include <vector>

#include "core/content/asset_path.h"
#include "core/content/manifest.h"
#include "core/folder/folder_walk.h"

namespace core {
namespace {

constexpr std::string_view kManifestFileName = "manifest.json";

}  // namespace

Result<WallpaperItem> load_wallpaper_folder_with(DirectoryReader& reader, std::string_view root,
                                                 AssetBytes asset_bytes) {
    const Result<Bytes> bytes = reader.read_file(reader.join(root, kManifestFileName), kMaxManifestFileBytes);
    if (!bytes) return std::unexpected(bytes.error());
    Result<Manifest> manifest =
        parse_manifest(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
    if (!manifest) return std::unexpected(manifest.error());
    if (Status valid = validate_manifest(*manifest); !valid) return std::unexpected(valid.error());
    if (Status id = validate_library_id(manifest->id); !id) return std::unexpected(id.error());

    FolderWalk walk;
    walk.keep_bytes = asset_bytes == AssetBytes::keep;
    if (Status walked = walk_wallpaper_folder(reader, root, "", 0, walk); !walked) {
        return std::unexpected(walked.error());
    }

    std::vector<std::string_view> paths;
    paths.reserve(walk.assets.size());
    for (const auto& [path, content] : walk.assets) paths.push_back(path);
    const std::string_view occupied[] = {kManifestFileName};
    if (Status checked = check_asset_paths(paths, occupied); !checked) return std::unexpected(checked.error());

    if (!walk.assets.contains(manifest->entry)) return fail("entry HTML is missing");
    return WallpaperItem{.manifest = std::move(*manifest), .assets = std::move(walk.assets)};
}

FolderReport check_wallpaper_folder_with(DirectoryReader& reader, std::string_view root) {
    FolderReport report;
    const auto add = [&](const Error& error, std::string_view file) {
        report.problems.push_back(error.message().ends_with(file) ? error : error.context(std::string(file)));
    };
    if (const Result<Bytes> bytes = reader.read_file(reader.join(root, kManifestFileName), kMaxManifestFileBytes);
        !bytes) {
        add(bytes.error(), kManifestFileName);
    } else if (Result<Manifest> manifest = parse_manifest(
                   std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
               !manifest) {
        add(manifest.error(), kManifestFileName);
    } else if (Status valid = validate_manifest(*manifest); !valid) {
        add(valid.error(), kManifestFileName);
    } else if (Status id = validate_library_id(manifest->id); !id) {
        add(id.error(), kManifestFileName);
    } else {
        report.manifest = std::move(*manifest);
    }

    FolderWalk walk;
    walk.problems = &report.problems;
    // A listing that fails ends the walk without a problem of its own.
    if (Status walked = walk_wallpaper_folder(reader, root, "", 0, walk); !walked && !walk.ended) {
        report.problems.push_back(walked.error());
    }
    // check_asset_paths, every collision told: a path that collides is left out, and the
    // next is checked against the rest.
    AssetPathRegistry registry;
    for (const auto& [path, content] : walk.assets) {
        if (Status added = registry.add(path); !added) report.problems.push_back(added.error());
    }
    if (Status added = registry.add(kManifestFileName); !added) report.problems.push_back(added.error());
    if (report.manifest && !walk.assets.contains(report.manifest->entry)) {
        add(Error("entry HTML is missing"), report.manifest->entry);
    }
    report.assets = std::move(walk.assets);
    return report;
}

}  // namespace core
