#include "player/library/package_open.h"

#include <windows.h>

#include <memory>

#include "core/crypto/sha.h"
#include "core/library/package_store.h"
#include "core/package/package_format.h"
#include "core/package/package_reader.h"
#include "player/library/file_entry.h"
#include "player/library/fs_guards.h"
#include "player/library/paths.h"
#include "player/win32/file_write.h"
#include "player/win32/system_error.h"
#include "player/win32/unique_resource.h"
#include "player/win32/wide.h"

namespace player {
namespace {

// Whether an existing stored copy is exactly the verified package.
bool is_trusted_copy(const std::string& copy, std::string_view package_hash, std::uint64_t package_size) {
    const auto own = read_own_attributes(copy);
    if (!own || own->is_reparse_point() || own->is_directory() || own->size != package_size) return false;
    const auto bytes = read_file_limited(copy, core::kMaxPackageBytes);
    return bytes && core::sha256_hex(*bytes) == package_hash;
}

struct StoreUsage {
    std::size_t count = 0;
    std::uint64_t bytes = 0;
};

core::Result<StoreUsage> measure_store(std::string_view packages_folder) {
    if (auto plain = check_plain_directory_chain(packages_folder); !plain) return std::unexpected(plain.error());
    StoreUsage usage;
    auto listed = for_each_raw_entry(packages_folder, [&](const RawEntry& entry) -> core::Status {
        const auto name = win32::to_utf8(entry.name);
        if (!name || !core::is_stored_package_name(*name)) return {};
        ++usage.count;
        usage.bytes = core::saturating_add(usage.bytes, entry.size);
        return {};
    });
    if (!listed) return std::unexpected(listed.error());
    return usage;
}

}  // namespace

core::Result<std::string> store_package_copy(std::string_view packages_folder, std::string_view package_hash,
                                             std::span<const std::uint8_t> package, std::string_view opened_path) {
    auto opened = final_path(opened_path);
    if (!opened) return std::unexpected(opened.error());
    const std::string copy = join_path(packages_folder, core::stored_package_name(package_hash));

    if (read_own_attributes(copy)) {
        // A copy that is not exactly the package (damaged, replaced, a link) is left
        // alone and never played.
        return is_trusted_copy(copy, package_hash, package.size()) ? copy : *opened;
    }

    auto usage = measure_store(packages_folder);
    if (!usage) return std::unexpected(usage.error());
    if (!core::package_store_has_room(usage->count, usage->bytes, package.size())) return *opened;

    auto wide = long_path(copy);
    if (!wide) return std::unexpected(wide.error());
    // Create-new: of two players storing the same package at once, the loser plays from
    // the opened file.
    win32::unique_file file(
        ::CreateFileW(wide->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD code = ::GetLastError();
        if (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS) return *opened;
        return std::unexpected(win32::failed_call("CreateFileW", code));
    }
    // Written from the verified bytes themselves, so what is stored is what was checked.
    // Closing is checked too: it is where a delayed write can still fail. A copy that did
    // not arrive whole is removed, or it would hold this hash's name and a slot of the
    // store for good; the package plays from where it was opened, as with a full store.
    const bool written = win32::write_all(file.get(), package).has_value();
    const bool closed = ::CloseHandle(file.release()) != FALSE;
    if (!written || !closed) {
        ::DeleteFileW(wide->c_str());
        return *opened;
    }
    return copy;
}

core::Result<OpenedPackageFile> open_package_file(std::string_view data_folder, std::string_view path,
                                                  const core::PublisherKey& publisher_key) {
    auto bytes = read_file_limited(path, core::kMaxPackageBytes);
    if (!bytes) return std::unexpected(bytes.error());
    auto parsed = core::read_package_header(*bytes, publisher_key.bytes);
    if (!parsed) return std::unexpected(parsed.error());
    auto opened = core::open_package(*parsed, *bytes);
    if (!opened) return std::unexpected(opened.error());
    auto reopen = store_package_copy(join_path(data_folder, "packages"), parsed->hash.value(), *bytes, path);
    if (!reopen) return std::unexpected(reopen.error());
    return OpenedPackageFile{
        .reopen_path = std::move(*reopen),
        .wallpaper = std::make_shared<const core::WallpaperItem>(
            core::WallpaperItem{.manifest = std::move(opened->manifest), .assets = std::move(opened->assets)}),
    };
}

}  // namespace player
