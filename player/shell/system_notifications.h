#pragma once

#include <windows.h>

namespace player {

// The console display's power state (on, off, dimmed) for the controller window.
// Registration failure is logged and the player goes on without it.
class DisplayPowerNotification {
public:
    explicit DisplayPowerNotification(HWND window);
    ~DisplayPowerNotification();
    DisplayPowerNotification(const DisplayPowerNotification&) = delete;
    DisplayPowerNotification& operator=(const DisplayPowerNotification&) = delete;

private:
    HPOWERNOTIFY registration_ = nullptr;
};

// Lock and unlock of this session for the controller window; unregistered when dropped.
class SessionNotification {
public:
    explicit SessionNotification(HWND window);
    ~SessionNotification();
    SessionNotification(const SessionNotification&) = delete;
    SessionNotification& operator=(const SessionNotification&) = delete;

private:
    HWND window_;
};

}  // namespace player
