#pragma once

#include <windows.h>

#include "player/win32/unique_resource.h"

namespace player {

// The console display's power state (on, off, dimmed) for the controller window.
// Registration failure is logged and the player goes on without it.
class DisplayPowerNotification {
public:
    explicit DisplayPowerNotification(HWND window);

private:
    win32::unique_power_notification registration_;
};

// Lock and unlock of this session for the controller window; unregistered when dropped.
// Early in a logon the registration can fail (RPC_S_INVALID_BINDING until Terminal
// Services run, as documented): the failure is logged and the caller tries again.
class SessionNotification {
public:
    explicit SessionNotification(HWND window);
    ~SessionNotification();
    SessionNotification(const SessionNotification&) = delete;
    SessionNotification& operator=(const SessionNotification&) = delete;

    bool registered() const { return registered_; }
    // Tries once more when not registered; true once it is.
    bool retry();

private:
    HWND window_;
    bool registered_ = false;
};

}  // namespace player
