#pragma once

#include <windows.h>

#include "core/error/error.h"
#include "player/shell/autostart.h"
#include "player/win32/unique_resource.h"

namespace player {

// Notices changes to the values of the Run key, whoever makes them (the user in another
// program, a second copy of the player): the system sets an event, which the event loop
// waits on beside the window messages. A notification is one-shot; arm again after each.
class AutostartWatch {
public:
    // Opens the Run key for notification and arms the first one. Fails when the key does
    // not exist: it is left to the program that writes the first value to create it.
    static core::Result<AutostartWatch> open(const AutostartEntry& entry = {});

    // Signalled (and reset by the wait that sees it) when a value changed since arming.
    HANDLE changed() const { return changed_.get(); }
    core::Status arm();
    // The system does not report the deletion of the watched key itself: a key deleted
    // (and perhaps made again) leaves the watch looking at nothing.
    bool key_deleted() const;

private:
    AutostartWatch(win32::unique_hkey key, win32::unique_handle changed)
        : key_(std::move(key)), changed_(std::move(changed)) {}

    win32::unique_hkey key_;
    win32::unique_handle changed_;
};

}  // namespace player
