#pragma once

#include <cstdint>
#include <string_view>

#include "player/log/log_writer.h"
#include "player/win32/unique_resource.h"

namespace player {

// Appends "[seconds] message" to the player log. Does nothing before the log is opened
// or after a write failed half-way; never fails to the caller. Any thread may call it.
void log_line(std::string_view message);

// Receives every message handed to log_line, whether or not a log file is open: the seam
// through which tests see what was logged. One observer per process; null removes it.
using LogObserver = void (*)(void* context, std::string_view message);
void set_log_observer(LogObserver observer, void* context);

// Installs the process's log file for the rest of the process, with the handlers that log
// "panic: " reports and the rotation that keeps the file within its limit (from grace_ms
// on). Only the first file installed is kept; a later one is closed.
void install_log_file(win32::unique_file file, LogRotation rotate = {}, std::uint64_t grace_ms = 0);

}  // namespace player
