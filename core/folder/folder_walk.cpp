#include "core/folder/folder_walk.h"

#include <array>
#include <string>

#include "core/content/asset_path.h"
#include "core/fs/entry_kind.h"

namespace core {
namespace {

// Development tools and private data that must never ship inside a wallpaper. Refused
// rather than skipped, so that an author notices.
constexpr std::array<std::string_view, 4> kRefusedFolderNames = {"target", "secrets", "diagnostics",
                                                                 "node_modules"};
constexpr std::array<std::string_view, 11> kRefusedFileComponents = {
    "target",       "secrets",        "diagnostics",   "node_modules",     "agents.md",        "cargo.lock",
    "loomkit",      "package.json",   "publisher.pub", "product-key.json", "package-lock.json"};
constexpr std::array<std::string_view, 26> kAdmittedExtensions = {
    "js",  "mjs", "css",  "html", "json", "png", "jpg",  "jpeg", "gif",  "svg", "ico",  "webp", "avif",
    "ttf", "otf", "woff", "woff2", "mp3", "ogg", "wav",  "m4a",  "mp4",  "webm", "glb", "gltf", "bin"};
// The manifest sits beside the assets at the root and is read on its own.
constexpr std::string_view kManifestFileName = "manifest.json";

std::string ascii_lowercase(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

template <std::size_t N>
bool is_listed(std::string_view name, const std::array<std::string_view, N>& list) {
    for (const std::string_view listed : list) {
        if (listed == name) return true;
    }
    return false;
}

// Whether any "/"-separated component, lower-cased, begins with "." or is listed.
template <std::size_t N>
bool has_refused_component(std::string_view asset_path, const std::array<std::string_view, N>& refused) {
    std::size_t start = 0;
    while (true) {
        const std::size_t slash = asset_path.find('/', start);
        const std::string component = ascii_lowercase(asset_path.substr(start, slash - start));
        if (component.starts_with('.') || is_listed(component, refused)) return true;
        if (slash == std::string_view::npos) return false;
        start = slash + 1;
    }
}

bool has_admitted_extension(std::string_view asset_path) {
    const std::size_t dot = asset_path.rfind('.');
    if (dot == std::string_view::npos) return false;
    return is_listed(ascii_lowercase(asset_path.substr(dot + 1)), kAdmittedExtensions);
}

// The path as the outer message of an error that does not already end with it, so that
// every problem a collecting walk reports names its file.
Error naming(const Error& error, std::string_view asset_path) {
    if (asset_path.empty() || error.message().ends_with(asset_path)) return error;
    return error.context(std::string(asset_path));
}

Status walk_entry(DirectoryReader& reader, std::string_view folder, const std::string& asset_path,
                  const DirectoryEntry& entry, std::uint32_t depth, FolderWalk& walk) {
    if (entry.attributes & kAttributeReparsePoint) {
        if (entry.reparse_tag & kReparseTagNameSurrogate) return fail("source symlinks are not allowed");
        return fail("source reparse points are not allowed");
    }
    if (!entry.name) return fail("asset path is not UTF-8");
    const Status valid = validate_asset_path(asset_path);
    if (!valid) return valid;
    const std::string path = reader.join(folder, *entry.name);

    if (entry.attributes & kAttributeDirectory) {
        if (has_refused_component(asset_path, kRefusedFolderNames)) {
            return fail("private or development directory is not allowed");
        }
        return walk_wallpaper_folder(reader, path, asset_path, depth + 1, walk);
    }
    if (asset_path == kManifestFileName) return {};
    if (has_refused_component(asset_path, kRefusedFileComponents)) {
        return fail("private or development file is not a wallpaper asset: " + asset_path);
    }
    if (!has_admitted_extension(asset_path)) {
        return fail("private or tool file is not a wallpaper asset: " + asset_path);
    }
    if (walk.assets.size() >= kMaxFolderAssets) {
        walk.ended = true;
        return fail("too many source assets");
    }
    Bytes bytes;
    if (walk.keep_bytes) {
        Result<Bytes> read = reader.read_file(path, kMaxFolderAssetBytes);
        if (!read) return std::unexpected(read.error());
        bytes = std::move(*read);
        walk.byte_total += bytes.size();
    } else {
        Result<std::uint64_t> size = reader.read_file_discarding(path, kMaxFolderAssetBytes);
        if (!size) return std::unexpected(size.error());
        walk.byte_total += *size;
    }
    if (walk.byte_total > kMaxFolderTotalBytes) {
        walk.ended = true;
        return fail("source assets exceed total size limit");
    }
    // A listing never names an entry twice; should one, the asset is not silently replaced.
    if (!walk.assets.try_emplace(asset_path, std::move(bytes)).second) {
        return fail("duplicate asset or file/directory collision: " + asset_path);
    }
    return {};
}

}  // namespace

Status walk_wallpaper_folder(DirectoryReader& reader, std::string_view folder, std::string_view asset_prefix,
                             std::uint32_t depth, FolderWalk& walk) {
    // A collecting walk reports a folder beyond a limit and goes on beside it.
    const auto refuse_folder = [&](std::string message) -> Status {
        if (!walk.problems) return fail(std::move(message));
        walk.problems->push_back(naming(Error(std::move(message)), asset_prefix));
        return {};
    };
    if (depth > kMaxFolderNesting) return refuse_folder("source directory nesting exceeds limit");
    walk.directory_count += 1;
    if (walk.directory_count > kMaxFolderDirectories) return refuse_folder("too many source directories");

    return reader.list(folder, [&](const DirectoryEntry& entry) -> Status {
        // Built from names with "/" between them, the path never holds a system separator;
        // a "\" inside a name (possible outside Windows) is left for the path rule to refuse.
        const std::string name = entry.name.value_or("");
        const std::string asset_path = asset_prefix.empty() ? name : std::string(asset_prefix) + "/" + name;
        Status visited = walk_entry(reader, folder, asset_path, entry, depth, walk);
        if (visited || !walk.problems) return visited;
        // A folder whose walk a limit ended has added that problem already.
        const bool added = walk.ended && (entry.attributes & kAttributeDirectory) != 0;
        if (!added) walk.problems->push_back(naming(visited.error(), entry.name ? asset_path : std::string(asset_prefix)));
        if (walk.ended) return visited;
        return {};
    });
}

}  // namespace core
