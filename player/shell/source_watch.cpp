#include "player/shell/source_watch.h"

#include "player/win32/system_error.h"
#include "player/win32/wide.h"

namespace player {

core::Result<SourceWatch> SourceWatch::watch(const std::string& folder) {
    auto wide = win32::to_wide(folder);
    if (!wide) return std::unexpected(wide.error());
    constexpr DWORD kChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                               FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;
    win32::unique_change_notification notification(::FindFirstChangeNotificationW(wide->c_str(), TRUE, kChanges));
    if (!notification) return core::fail("cannot watch the source folder", win32::failed_call("FindFirstChangeNotificationW"));
    return SourceWatch(std::move(notification));
}

DWORD SourceWatch::wait_ms(ULONGLONG now) const {
    if (!quiet_from_) return INFINITE;
    const ULONGLONG due = *quiet_from_ + kQuietMs;
    return now >= due ? 0 : static_cast<DWORD>(due - now);
}

core::Status SourceWatch::signalled(ULONGLONG now) {
    quiet_from_ = now;
    if (!::FindNextChangeNotification(notification_.get())) {
        return core::fail("cannot watch the source folder", win32::failed_call("FindNextChangeNotification"));
    }
    return {};
}

bool SourceWatch::settled(ULONGLONG now) {
    if (!quiet_from_ || wait_ms(now) != 0) return false;
    quiet_from_.reset();
    return true;
}

}  // namespace player
