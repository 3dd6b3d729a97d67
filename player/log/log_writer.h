#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string_view>

#include "player/win32/unique_resource.h"

namespace player {

// Moves the full log aside and opens a fresh one to go on in; none when it could not, and
// the writer goes on in the file it has.
using LogRotation = std::function<std::optional<win32::unique_file>()>;

// Writes whole lines to an open log file, one at a time from any thread. A write that
// stopped in the middle of a line marks the writer unusable for good, so that no later
// line is glued to the broken one; a write that failed before writing anything leaves
// nothing behind and is simply lost. With a rotation, a line that would take the file
// past core::kLogRotateAboveBytes goes to a fresh file instead, so that a long run keeps
// at most the log and its predecessor, each within the limit. During the grace after the
// writer is made, start-up's own rule holds alone: a log found at exactly the limit is
// appended to, not moved aside by the start's first lines.
class LogWriter {
public:
    explicit LogWriter(win32::unique_file file, LogRotation rotate = {}, std::uint64_t grace_ms = 0)
        : file_(std::move(file)), rotate_(std::move(rotate)), rotates_from_ms_(::GetTickCount64() + grace_ms) {}

    void write(std::string_view line);
    bool usable() const;

private:
    void rotate_before(std::string_view line);

    win32::unique_file file_;
    LogRotation rotate_;
    std::uint64_t rotates_from_ms_;
    mutable std::mutex lock_;
    bool unusable_ = false;
};

}  // namespace player
