#include "player/log/log_writer.h"

#include <windows.h>

namespace player {

void LogWriter::write(std::string_view line) {
    const std::lock_guard guard(lock_);
    if (unusable_) return;
    // One WriteFile per line on an append-only handle: lines of two processes sharing the
    // file never interleave.
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file_.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    if (written != 0 && (!ok || written != line.size())) unusable_ = true;
}

bool LogWriter::usable() const {
    const std::lock_guard guard(lock_);
    return !unusable_;
}

}  // namespace player
