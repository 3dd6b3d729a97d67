#pragma once

#include <mutex>
#include <string_view>

#include "player/win32/unique_resource.h"

namespace player {

// Writes whole lines to an open log file, one at a time from any thread. A write that
// stopped in the middle of a line marks the writer unusable for good, so that no later
// line is glued to the broken one; a write that failed before writing anything leaves
// nothing behind and is simply lost.
class LogWriter {
public:
    explicit LogWriter(win32::unique_file file) : file_(std::move(file)) {}

    void write(std::string_view line);
    bool usable() const;

private:
    win32::unique_file file_;
    mutable std::mutex lock_;
    bool unusable_ = false;
};

}  // namespace player
