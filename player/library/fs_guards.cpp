#include "player/library/fs_guards.h"

#include <windows.h>

#include <algorithm>
#include <optional>
#include <span>
#include <vector>

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

// One key for a folder named in the final-path form "\\?\C:\..." and in the plain form
// "C:\...", when the plain text names the very same path: the system rewrites a plain path
// (trailing dots and spaces, "." and "..") before use, the "\\?\" form never. Otherwise
// the two forms stay apart, and a folder is merely checked once more.
std::string folder_key(std::string_view folder) {
    if (folder.size() >= 7 && folder.starts_with("\\\\?\\") && folder[5] == ':' && folder[6] == '\\') {
        const std::string_view plain = folder.substr(4);
        if (const auto rewritten = full_path(plain); rewritten && *rewritten == plain) return std::string(plain);
    }
    return std::string(folder);
}

}  // namespace

bool CheckedFolders::contains(std::string_view folder) const { return folders_.contains(folder_key(folder)); }

void CheckedFolders::insert(std::string_view folder) { folders_.insert(folder_key(folder)); }

core::Status check_plain_directory_chain(std::string_view path) {
    CheckedFolders none;
    return check_plain_directory_chain(path, none);
}

core::Status check_plain_directory_chain(std::string_view path, CheckedFolders& checked) {
    auto absolute = full_path(path);
    if (!absolute) return std::unexpected(absolute.error());

    std::vector<std::string> found_plain;
    std::optional<std::string> current = std::move(*absolute);
    while (current && (found_plain.empty() || !checked.contains(*current))) {
        if (auto plain = check_entry(*current); !plain) return plain;
        found_plain.push_back(*current);
        current = parent_path(*current);
    }
    for (const std::string& folder : found_plain) checked.insert(folder);
    return {};
}

namespace {

struct FileToRead {
    win32::unique_file file;
    std::uint64_t size = 0;
};

// Opens a file for reading and refuses one whose size is above the limit already.
core::Result<FileToRead> open_within_limit(std::string_view path, std::uint64_t limit) {
    auto wide = long_path(path);
    if (!wide) return std::unexpected(wide.error());
    FileToRead opened{.file = win32::unique_file(::CreateFileW(
                          wide->c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                          nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr))};
    if (!opened.file) return std::unexpected(win32::failed_call("CreateFileW"));
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(opened.file.get(), &size)) return std::unexpected(win32::failed_call("GetFileSizeEx"));
    opened.size = static_cast<std::uint64_t>(size.QuadPart);
    if (opened.size > limit) return core::fail("file too large");
    return opened;
}

// Reads until the file's end, but never more than limit + 1 bytes: one byte past the
// limit proves the file grew. room(filled) gives where the next bytes go. Returns how
// many bytes arrived.
template <class Room>
core::Result<std::uint64_t> read_to_end(HANDLE file, std::uint64_t limit, Room room) {
    const std::uint64_t most = limit + 1;
    std::uint64_t filled = 0;
    while (filled < most) {
        const std::span<std::uint8_t> next = room(filled);
        const DWORD chunk = static_cast<DWORD>(std::min<std::uint64_t>({next.size(), most - filled, 1u << 30}));
        DWORD read = 0;
        if (!::ReadFile(file, next.data(), chunk, &read, nullptr)) return std::unexpected(win32::failed_call("ReadFile"));
        filled += read;
        // A disk file reads short only at its end: one more call would just return 0.
        // A file that grew fills the whole request and is read on.
        if (read < chunk) break;
    }
    if (filled > limit) return core::fail("file too large");
    return filled;
}

// Room for the file as its size announced it, and one byte to see it grow.
std::size_t first_room(const FileToRead& opened, std::uint64_t limit) {
    return static_cast<std::size_t>(std::min(opened.size, limit) + 1);
}

}  // namespace

core::Result<core::Bytes> read_file_limited(std::string_view path, std::uint64_t limit) {
    auto opened = open_within_limit(path, limit);
    if (!opened) return std::unexpected(opened.error());
    core::Bytes bytes(first_room(*opened, limit));
    auto filled = read_to_end(opened->file.get(), limit, [&](std::uint64_t so_far) {
        if (so_far == bytes.size()) bytes.resize(static_cast<std::size_t>(std::min(limit + 1, so_far * 2)));
        return std::span(bytes).subspan(static_cast<std::size_t>(so_far));
    });
    if (!filled) return std::unexpected(filled.error());
    bytes.resize(static_cast<std::size_t>(*filled));
    return bytes;
}

core::Result<std::uint64_t> read_file_limited_discarding(std::string_view path, std::uint64_t limit,
                                                         core::Bytes& scratch) {
    auto opened = open_within_limit(path, limit);
    if (!opened) return std::unexpected(opened.error());
    // Grown to the largest file read so far, so that most files arrive in one call.
    if (scratch.size() < first_room(*opened, limit)) scratch.resize(first_room(*opened, limit));
    return read_to_end(opened->file.get(), limit, [&](std::uint64_t) { return std::span(scratch); });
}

}  // namespace player
