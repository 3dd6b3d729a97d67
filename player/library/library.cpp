#include "player/library/library.h"

#include <algorithm>

#include "core/folder/wallpaper_folder.h"
#include "player/library/file_entry.h"
#include "player/library/fs_guards.h"
#include "player/library/paths.h"
#include "player/library/windows_directory_reader.h"
#include "player/log/log.h"
#include "player/win32/wide.h"

namespace player {
namespace {

constexpr std::string_view kManifestFileName = "manifest.json";
constexpr std::string_view kLibraryFolderName = "library";
constexpr std::string_view kFolderMismatch = "wallpaper folder must match manifest ID";
constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";  // U+FFFD

// The last component of a path as given; empty when the path ends in a separator.
std::string_view final_component(std::string_view path) {
    const std::size_t separator = path.find_last_of("\\/");
    return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

// UTF-8 of a system name, unpaired surrogates replaced by U+FFFD.
std::string lossy_utf8(std::wstring_view name) {
    std::wstring repaired(name);
    for (std::size_t i = 0; i < repaired.size(); ++i) {
        const wchar_t c = repaired[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < repaired.size() && repaired[i + 1] >= 0xDC00 &&
            repaired[i + 1] <= 0xDFFF) {
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            repaired[i] = 0xFFFD;
        }
    }
    return win32::to_utf8(repaired).value_or(std::string());
}

}  // namespace

core::Result<core::WallpaperItem> load_wallpaper_folder(std::string_view folder, WindowsDirectoryReader& reader,
                                                        core::AssetBytes asset_bytes) {
    if (auto plain = reader.check_chain(folder); !plain) return std::unexpected(plain.error());
    // The folder's own attributes are read on the handle that resolves it. From here on
    // the folder is named by its final path, so that every later step reads the same
    // folder, whatever happens to the path it was reached by.
    auto root = reader.open_root(folder);
    if (!root) return std::unexpected(root.error());
    auto manifest = read_own_attributes(join_path(*root, kManifestFileName));
    if (!manifest) return std::unexpected(manifest.error());
    if (auto refused = refuse_reparse_point(*manifest); !refused) return std::unexpected(refused.error());
    if (manifest->is_directory()) return core::fail("manifest must be a file");

    return core::load_wallpaper_folder_with(reader, *root, asset_bytes);
}

core::Result<core::WallpaperItem> load_wallpaper_folder(std::string_view folder) {
    WindowsDirectoryReader reader;
    return load_wallpaper_folder(folder, reader);
}

core::Result<LibraryEntry> library_entry_for(std::string_view folder, const core::Manifest& manifest) {
    if (final_component(folder) != manifest.id) return core::fail(std::string(kFolderMismatch));
    return LibraryEntry{.id = manifest.id, .name = manifest.name, .folder = std::string(folder)};
}

core::Status check_listed_name(std::string_view folder) {
    // A name that is not Unicode text was listed with replacement characters: that path
    // names no folder, or another one, and no id can ever match it.
    if (final_component(folder).find(kReplacementCharacter) != std::string_view::npos) {
        return core::fail(std::string(kFolderMismatch));
    }
    return {};
}

core::Result<LibraryEntry> load_library_entry(std::string_view folder, WindowsDirectoryReader& reader) {
    if (auto named = check_listed_name(folder); !named) return std::unexpected(named.error());
    // The row keeps no bytes, so none are gathered: the reader reads every file through
    // one buffer instead of holding up to 64 MiB of a folder at once.
    auto item = load_wallpaper_folder(folder, reader, core::AssetBytes::discard);
    if (!item) return std::unexpected(item.error());
    return library_entry_for(folder, item->manifest);
}

core::Result<std::vector<std::string>> list_folder_entries(std::string_view folder) {
    std::vector<std::string> names;
    auto listed = for_each_raw_entry(folder, [&](const RawEntry& entry) -> core::Status {
        // One entry past the limit is enough to know it is exceeded.
        if (names.size() == core::kMaxLibraryItems) return core::fail(core::library_size_message());
        names.push_back(lossy_utf8(entry.name));
        return {};
    });
    if (!listed) return std::unexpected(listed.error());
    // All entries share the folder, so ordering the names orders the paths.
    std::sort(names.begin(), names.end());
    std::vector<std::string> paths;
    paths.reserve(names.size());
    for (const std::string& name : names) paths.push_back(join_path(folder, name));
    return paths;
}

std::string library_folder(std::string_view data_folder) { return join_path(data_folder, kLibraryFolderName); }

Library reload_library(std::string_view data_folder, WindowsDirectoryReader& reader) {
    const std::string folder = library_folder(data_folder);
    Library library;
    std::vector<std::string> rejections;

    auto listed = [&]() -> core::Result<std::vector<std::string>> {
        if (auto plain = reader.check_chain(folder); !plain) return std::unexpected(plain.error());
        return list_folder_entries(folder);
    }();
    if (!listed) {
        rejections.push_back(core::rejection_text(folder, listed.error()));
    } else {
        for (const std::string& path : *listed) {
            // Staging folders of installations, finished or abandoned, are not wallpapers.
            if (final_component(path).starts_with(core::kStagingPrefix)) continue;
            auto entry = load_library_entry(path, reader);
            if (entry) {
                library.entries.push_back(std::move(*entry));
            } else {
                rejections.push_back(core::rejection_text(path, entry.error()));
            }
        }
    }
    core::sort_library_entries(library.entries);
    for (const std::string& rejection : rejections) log_line("library rejected item: " + rejection);
    library.notice = core::library_notice(rejections.size());
    return library;
}

Library reload_library(std::string_view data_folder) {
    WindowsDirectoryReader reader;
    return reload_library(data_folder, reader);
}

}  // namespace player
