#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "core/error/error.h"
#include "player/win32/unique_resource.h"

namespace player {

// Watches an author's folder, subfolders included, for the author-preview build. Editors
// save in bursts (a temporary file, a rename, a second write), so changes count once
// the folder has been quiet for kQuietMs; the message loop waits on handle() and asks
// wait_ms() how long it may sleep.
class SourceWatch {
public:
    static constexpr DWORD kQuietMs = 300;

    static core::Result<SourceWatch> watch(const std::string& folder);

    HANDLE handle() const { return notification_.get(); }

    // How long the loop may wait: INFINITE with nothing pending.
    DWORD wait_ms(ULONGLONG now) const;

    // The handle was signalled: re-arms it and starts (or restarts) the quiet period.
    core::Status signalled(ULONGLONG now);

    // The wait timed out: true once when a change has settled.
    bool settled(ULONGLONG now);

private:
    explicit SourceWatch(win32::unique_change_notification notification) : notification_(std::move(notification)) {}

    win32::unique_change_notification notification_;
    std::optional<ULONGLONG> quiet_from_;
};

}  // namespace player
