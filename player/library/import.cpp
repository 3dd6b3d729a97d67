#include "player/library/import.h"

#include <windows.h>

#include <algorithm>
#include <atomic>

#include "core/content/manifest.h"
#include "core/library/library.h"
#include "core/library/staging_name.h"
#include "player/library/directories.h"
#include "player/library/file_entry.h"
#include "player/library/fs_guards.h"
#include "player/library/library.h"
#include "player/library/paths.h"
#include "player/library/windows_directory_reader.h"
#include "player/win32/file_write.h"
#include "player/win32/system_error.h"
#include "player/win32/unique_resource.h"
#include "player/win32/wide.h"

namespace player {
namespace {

// 100-nanosecond intervals between 1601-01-01 and 1970-01-01.
constexpr std::uint64_t kUnixEpochAsFileTime = 116'444'736'000'000'000ull;

bool is_removed(const std::vector<std::string>& removed, std::string_view id) {
    return std::find(removed.begin(), removed.end(), id) != removed.end();
}

core::Status write_new_file(const std::string& path, std::span<const std::uint8_t> bytes) {
    auto wide = long_path(path);
    if (!wide) return std::unexpected(wide.error());
    const win32::unique_file file(
        ::CreateFileW(wide->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::unexpected(win32::failed_call("CreateFileW"));
    return win32::write_all(file.get(), bytes);
}

// Makes the folders an asset path needs below the staging folder, each one created only
// after the folder above it passed the guard.
core::Status create_asset_folders(const std::string& staging, std::string_view asset_path) {
    std::string folder = staging;
    std::size_t start = 0;
    while (true) {
        const std::size_t slash = asset_path.find('/', start);
        if (slash == std::string_view::npos) return {};
        const std::string next = join_path(folder, asset_path.substr(start, slash - start));
        if (!can_examine(next)) {
            if (auto plain = check_plain_directory_chain(folder); !plain) return plain;
            if (auto created = create_directory(next); !created) return created;
        }
        folder = next;
        start = slash + 1;
    }
}

std::string system_path(const std::string& staging, std::string_view asset_path) {
    std::string path = join_path(staging, asset_path);
    std::replace(path.begin() + static_cast<std::ptrdiff_t>(staging.size()), path.end(), '/', '\\');
    return path;
}

// Steps that fill the staging folder, re-verify it and move it into place.
core::Status fill_and_rename(const std::string& staging, const std::string& final_folder,
                             const core::WallpaperItem& item, WindowsDirectoryReader& reader) {
    const std::string manifest = core::manifest_json(item.manifest, core::JsonStyle::pretty);
    if (auto written = write_new_file(join_path(staging, "manifest.json"),
                                      std::span(reinterpret_cast<const std::uint8_t*>(manifest.data()), manifest.size()));
        !written) {
        return written;
    }
    for (const auto& [asset_path, bytes] : item.assets) {
        if (auto folders = create_asset_folders(staging, asset_path); !folders) return folders;
        if (auto written = write_new_file(system_path(staging, asset_path), bytes); !written) return written;
    }

    auto staged = load_wallpaper_folder(staging, reader);
    if (!staged) return std::unexpected(staged.error());
    // std::map equality: the same number of assets, and pairwise the same path and bytes.
    if (staged->assets != item.assets) return core::fail("staged wallpaper verification failed");

    auto from = long_path(staging);
    if (!from) return std::unexpected(from.error());
    auto to = long_path(final_folder);
    if (!to) return std::unexpected(to.error());
    // Without MOVEFILE_REPLACE_EXISTING: a folder that appeared meanwhile is never replaced.
    if (!::MoveFileExW(from->c_str(), to->c_str(), 0)) return std::unexpected(win32::failed_call("MoveFileExW"));
    return {};
}

core::Status prepare_library_folder(std::string_view library_folder) {
    if (can_examine(library_folder)) return check_plain_directory_chain(library_folder);
    const auto parent = parent_path(library_folder);
    if (!parent) return core::fail("library parent unavailable");
    if (auto plain = check_plain_directory_chain(*parent); !plain) return plain;
    if (auto created = create_directory(library_folder); !created) return created;
    return check_plain_directory_chain(library_folder);
}

// The "wallpapers" folder: each sub-folder named after its manifest id.
void import_wallpapers_folder(const std::string& folder, std::string_view library_folder,
                              const std::vector<std::string>& removed, WindowsDirectoryReader& reader,
                              std::vector<std::string>& rejections) {
    if (!read_own_attributes(folder)) return;
    auto listed = [&]() -> core::Result<std::vector<std::string>> {
        if (auto plain = reader.check_chain(folder); !plain) return std::unexpected(plain.error());
        return list_folder_entries(folder);
    }();
    if (!listed) {
        rejections.push_back(core::rejection_text(folder, listed.error()));
        return;
    }
    for (const std::string& path : *listed) {
        if (auto named = check_listed_name(path); !named) {
            rejections.push_back(core::rejection_text(path, named.error()));
            continue;
        }
        // One full load serves both the entry check and the installation: loading the
        // folder a second time would verify, report and write nothing different.
        auto item = load_wallpaper_folder(path, reader);
        if (!item) {
            rejections.push_back(core::rejection_text(path, item.error()));
            continue;
        }
        if (auto entry = library_entry_for(path, item->manifest); !entry) {
            rejections.push_back(core::rejection_text(path, entry.error()));
            continue;
        }
        if (is_removed(removed, item->manifest.id)) continue;
        auto names = staging_names_for_now();
        if (!names) {
            rejections.push_back(core::rejection_text(path, names.error()));
            continue;
        }
        if (auto installed = install_into_library(library_folder, *item, reader, *names); !installed) {
            rejections.push_back(core::rejection_text(path, installed.error()));
        }
    }
}

// The "content" folder: one wallpaper, whatever the folder's own name.
void import_content_folder(const std::string& folder, std::string_view library_folder,
                           const std::vector<std::string>& removed, WindowsDirectoryReader& reader,
                           std::vector<std::string>& rejections) {
    if (!read_own_attributes(folder)) return;
    auto item = load_wallpaper_folder(folder, reader);
    if (!item) {
        rejections.push_back(core::rejection_text(folder, item.error()));
        return;
    }
    if (is_removed(removed, item->manifest.id)) return;
    auto installed = [&]() -> core::Result<std::string> {
        auto names = staging_names_for_now();
        if (!names) return std::unexpected(names.error());
        return install_into_library(library_folder, *item, reader, *names);
    }();
    if (!installed) rejections.push_back(core::rejection_text(folder, installed.error()));
}

}  // namespace

std::vector<std::string> import_portable_wallpapers(std::string_view library_folder, std::string_view exe_folder,
                                                    const std::vector<std::string>& removed,
                                                    WindowsDirectoryReader& reader) {
    std::vector<std::string> rejections;
    import_wallpapers_folder(join_path(exe_folder, "wallpapers"), library_folder, removed, reader, rejections);
    import_content_folder(join_path(exe_folder, "content"), library_folder, removed, reader, rejections);
    return rejections;
}

std::vector<std::string> import_portable_wallpapers(std::string_view library_folder, std::string_view exe_folder,
                                                    const std::vector<std::string>& removed) {
    WindowsDirectoryReader reader;
    return import_portable_wallpapers(library_folder, exe_folder, removed, reader);
}

core::Result<StagingNames> staging_names_for_now() {
    // One counter for the whole process: two installations in one process never form the
    // same name, even within one clock tick.
    static std::atomic<std::uint64_t> counter{0};
    FILETIME now{};
    ::GetSystemTimePreciseAsFileTime(&now);
    const std::uint64_t ticks = (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    if (ticks < kUnixEpochAsFileTime) return core::fail("system clock is before 1970");
    const std::uint64_t start = (ticks - kUnixEpochAsFileTime) * 100;
    return StagingNames([start]() -> core::Result<std::string> {
        return core::staging_folder_name(::GetCurrentProcessId(), start, counter.fetch_add(1));
    });
}

core::Result<std::string> install_into_library(std::string_view library_folder, const core::WallpaperItem& item,
                                               WindowsDirectoryReader& reader, const StagingNames& names) {
    if (auto prepared = prepare_library_folder(library_folder); !prepared) return std::unexpected(prepared.error());
    const std::string final_folder = join_path(library_folder, item.manifest.id);
    if (read_own_attributes(final_folder)) {
        // Installed already: left exactly as it is, whatever its version.
        if (auto plain = check_plain_directory_chain(final_folder); !plain) return std::unexpected(plain.error());
        return final_folder;
    }

    std::optional<std::string> staging;
    for (int attempt = 0; attempt < core::kStagingNameAttempts && !staging; ++attempt) {
        auto name = names();
        if (!name) return std::unexpected(name.error());
        const std::string candidate = join_path(library_folder, *name);
        auto wide = long_path(candidate);
        if (!wide) return std::unexpected(wide.error());
        if (::CreateDirectoryW(wide->c_str(), nullptr)) {
            staging = candidate;
        } else if (const DWORD code = ::GetLastError(); code != ERROR_ALREADY_EXISTS) {
            return std::unexpected(win32::failed_call("CreateDirectoryW", code));
        }
    }
    if (!staging) return core::fail("cannot create unique import directory");

    if (auto done = fill_and_rename(*staging, final_folder, item, reader); !done) {
        remove_tree_safely(*staging);
        return std::unexpected(done.error());
    }
    return final_folder;
}

namespace {

// Removes what it can below and including folder; false when it stopped at a link, an
// unreadable entry or a folder it could not list, which ends the whole removal.
bool remove_tree_within(std::string_view folder) {
    if (!check_plain_directory_chain(folder)) return false;
    const auto own = read_own_attributes(folder);
    if (!own || own->is_reparse_point() || !own->is_directory()) return false;

    // The names first, then the deletions: a listing is not guaranteed to survive changes
    // to the folder it walks.
    std::vector<std::string> names;
    const auto listed = for_each_raw_entry(folder, [&](const RawEntry& entry) -> core::Status {
        auto name = win32::to_utf8(entry.name);
        if (!name) return core::fail("entry name is not text");  // it could not be named
        names.push_back(std::move(*name));
        return {};
    });
    if (!listed) return false;
    for (const std::string& name : names) {
        const std::string path = join_path(folder, name);
        const auto entry = read_own_attributes(path);
        if (!entry || entry->is_reparse_point()) return false;
        if (entry->is_directory()) {
            if (!remove_tree_within(path)) return false;
        } else if (auto wide = long_path(path)) {
            ::DeleteFileW(wide->c_str());  // a file that stays only keeps its folder in place
        }
    }
    if (auto wide = long_path(folder)) ::RemoveDirectoryW(wide->c_str());
    return true;
}

}  // namespace

void remove_tree_safely(std::string_view folder) { remove_tree_within(folder); }

}  // namespace player
