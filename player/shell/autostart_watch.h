#pragma once

#include <windows.h>

#include <string>

#include "core/error/error.h"
#include "player/shell/autostart.h"
#include "player/win32/unique_resource.h"

namespace player {

// Notices changes to the values of the Run key and of Windows' Startup apps key for it,
// whoever makes them (the user in Task Manager or another program, a second copy of the
// player): the system sets an event, which the event loop waits on beside the window
// messages. A notification is one-shot; arm again after each.
class AutostartWatch {
public:
    // Opens the Run key, and the Startup apps key when Windows has made it, for
    // notification and arms the first one. Fails when the Run key does not exist: it is
    // left to the program that writes the first value to create it.
    static core::Result<AutostartWatch> open(const AutostartEntry& entry = {});

    // Signalled (and reset by the wait that sees it) when a value changed since arming.
    HANDLE changed() const { return changed_.get(); }
    core::Status arm();
    // The system reports neither the deletion of a watched key itself nor a key being
    // made: a key deleted (and perhaps made again), or a Startup apps key made since the
    // watch was opened, leaves the watch looking at less than there is. Open it afresh.
    bool stale() const;

private:
    AutostartWatch(win32::unique_hkey key, win32::unique_hkey approval_key, const AutostartEntry& entry,
                   win32::unique_handle changed)
        : key_(std::move(key)), approval_key_(std::move(approval_key)), root_(entry.root),
          approval_subkey_(entry.approval_subkey), changed_(std::move(changed)) {}

    win32::unique_hkey key_;
    win32::unique_hkey approval_key_;  // empty while there is no such key
    HKEY root_;
    std::wstring approval_subkey_;
    win32::unique_handle changed_;
};

}  // namespace player
