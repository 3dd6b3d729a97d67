#include "player/library/log_file.h"

#include <windows.h>

#include <cstdint>

#include "core/log/log_format.h"
#include "player/library/file_entry.h"
#include "player/library/paths.h"
#include "player/log/log.h"
#include "player/win32/system_error.h"
#include "player/win32/wide.h"

namespace player {

namespace {

bool move_log_aside(std::string_view data_folder) {
    const auto log_path = long_path(join_path(data_folder, "player.log"));
    const auto previous_path = long_path(join_path(data_folder, "player.previous.log"));
    if (!log_path || !previous_path) return false;
    return ::MoveFileExW(log_path->c_str(), previous_path->c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

}  // namespace

void rotate_log_if_oversized(std::string_view data_folder) {
    const auto entry = read_own_attributes(join_path(data_folder, "player.log"));
    if (!entry || !core::log_needs_rotation(entry->size)) return;
    move_log_aside(data_folder);
}

LogRotation log_rotation(std::string_view data_folder) {
    // Nothing here may log: the writer calls it holding its lock.
    return [folder = std::string(data_folder)]() -> std::optional<win32::unique_file> {
        if (!move_log_aside(folder)) return std::nullopt;
        auto fresh = open_log_file(folder);
        if (!fresh) return std::nullopt;
        return std::move(*fresh);
    };
}

core::Result<win32::unique_file> open_log_file(std::string_view data_folder) {
    auto log_path = long_path(join_path(data_folder, "player.log"));
    if (!log_path) return std::unexpected(log_path.error());
    // Append-only access: every write lands at the current end, even when another
    // process (a second start) appends to the same file. Its size decides the rotation.
    win32::unique_file file(::CreateFileW(log_path->c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::unexpected(win32::last_error());
    return file;
}

// Start-up moves the log aside only above the limit, so a log found at exactly the limit
// takes the start's lines; rotating while running waits this long, so that a start (or a
// short run) never splits its own lines from the log it began with.
constexpr std::uint64_t kRunningRotationGraceMs = 60'000;

core::Status open_log(std::string_view data_folder) {
    rotate_log_if_oversized(data_folder);
    auto file = open_log_file(data_folder);
    if (!file) return std::unexpected(file.error());
    install_log_file(std::move(*file), log_rotation(data_folder), kRunningRotationGraceMs);
    return {};
}

}  // namespace player
