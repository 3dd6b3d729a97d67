#include "player/log/log_writer.h"

#include <windows.h>

#include "core/log/log_format.h"

namespace player {

void LogWriter::rotate_before(std::string_view line) {
    // The file's own size, not a count of this writer's lines: a second start appends too.
    LARGE_INTEGER size{};
    if (!rotate_ || ::GetTickCount64() < rotates_from_ms_) return;
    if (!::GetFileSizeEx(file_.get(), &size) || size.QuadPart == 0) return;
    if (!core::log_needs_rotation(static_cast<std::uint64_t>(size.QuadPart) + line.size())) return;
    if (auto fresh = rotate_()) file_ = std::move(*fresh);
}

void LogWriter::write(std::string_view line) {
    const std::lock_guard guard(lock_);
    if (unusable_) return;
    rotate_before(line);
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
