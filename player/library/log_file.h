#pragma once

#include <string_view>

#include "core/error/error.h"
#include "player/log/log_writer.h"
#include "player/win32/unique_resource.h"

namespace player {

// Moves an oversized D\player.log to D\player.previous.log, replacing an older one.
// A failed move is ignored: the old log stays and is appended to.
void rotate_log_if_oversized(std::string_view data_folder);

// Opens D\player.log for appending, created when missing and never truncated, shared for
// reading, writing and deletion.
core::Result<win32::unique_file> open_log_file(std::string_view data_folder);

// The running log's rotation: moves D\player.log aside as at start-up, whatever its size
// (the writer has measured it), and opens a fresh one.
LogRotation log_rotation(std::string_view data_folder);

// Moves an oversized player.log aside, opens the log in the data folder for appending and
// installs it for the rest of the process, rotated again whenever it would pass its limit.
core::Status open_log(std::string_view data_folder);

}  // namespace player
