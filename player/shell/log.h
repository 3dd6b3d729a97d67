#pragma once

#include <string_view>

#include "core/error/error.h"

namespace player {

// Appends "[seconds] message" to the player log. Does nothing before the log is opened
// or after a write failed half-way; never fails to the caller. Any thread may call it.
void log_line(std::string_view message);

// Receives every message handed to log_line, whether or not a log file is open: the seam
// through which tests see what was logged. One observer per process; null removes it.
using LogObserver = void (*)(void* context, std::string_view message);
void set_log_observer(LogObserver observer, void* context);

// Moves an oversized player.log aside, opens the log in the data folder for appending and
// installs it for the rest of the process, with the handler that logs "panic: " reports.
core::Status open_log(std::string_view data_folder);

}  // namespace player
