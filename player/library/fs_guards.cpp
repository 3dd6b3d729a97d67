#include "player/library/fs_guards.h"

#include <windows.h>

#include <algorithm>
#include <optional>

#include "core/fs/entry_kind.h"
#include "player/library/file_entry.h"
#include "player/library/paths.h"
#include "player/win32/system_error.h"
#include "player/win32/unique_resource.h"
#include "player/win32/wide.h"

namespace player {
namespace {

core::Status check_entry(const std::string& path) {
    auto entry = read_own_attributes(path);
    if (!entry) return std::unexpected(entry.error());
    return core::check_plain_directory_entry(entry->attributes, entry->reparse_tag);
}

}  // namespace

core::Status check_plain_directory_chain(std::string_view path) {
    auto absolute = full_path(path);
    if (!absolute) return std::unexpected(absolute.error());

    std::optional<std::string> current = std::move(*absolute);
    while (current) {
        if (auto checked = check_entry(*current); !checked) return checked;
        current = parent_path(*current);
    }
    return {};
}

core::Result<core::Bytes> read_file_limited(std::string_view path, std::uint64_t limit) {
    auto wide = win32::to_wide(path);
    if (!wide) return std::unexpected(wide.error());
    const win32::unique_file file(::CreateFileW(
        wide->c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return std::unexpected(win32::last_error());

    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size)) return std::unexpected(win32::last_error());
    if (static_cast<std::uint64_t>(size.QuadPart) > limit) return core::fail("file too large");

    // Never more than limit + 1 bytes: one byte past the limit proves the file grew.
    const std::uint64_t most = limit + 1;
    core::Bytes bytes;
    bytes.resize(static_cast<std::size_t>(std::min<std::uint64_t>(size.QuadPart, limit) + 1));
    std::size_t filled = 0;
    while (filled < most) {
        if (filled == bytes.size()) {
            bytes.resize(static_cast<std::size_t>(std::min<std::uint64_t>(most, bytes.size() * 2)));
        }
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - filled, 1u << 30));
        DWORD read = 0;
        if (!::ReadFile(file.get(), bytes.data() + filled, chunk, &read, nullptr)) {
            return std::unexpected(win32::last_error());
        }
        filled += read;
        // A disk file reads short only at its end: one more call would just return 0.
        // A file that grew fills the whole request and is read on.
        if (read < chunk) break;
    }
    if (filled > limit) return core::fail("file too large");
    bytes.resize(filled);
    return bytes;
}

}  // namespace player
