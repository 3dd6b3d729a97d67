#include "player/shell/system_notifications.h"

#include <wtsapi32.h>

#include <string>

#include "player/log/log.h"

namespace player {

DisplayPowerNotification::DisplayPowerNotification(HWND window)
    : registration_(::RegisterPowerSettingNotification(window, &GUID_CONSOLE_DISPLAY_STATE,
                                                       DEVICE_NOTIFY_WINDOW_HANDLE)) {
    if (!registration_) {
        log_line("display-power notification unavailable: " + std::to_string(::GetLastError()));
    }
}

SessionNotification::SessionNotification(HWND window) : window_(window) {
    registered_ = ::WTSRegisterSessionNotification(window_, NOTIFY_FOR_THIS_SESSION) != FALSE;
    if (!registered_) log_line("session notification unavailable: " + std::to_string(::GetLastError()));
}

SessionNotification::~SessionNotification() {
    if (registered_) ::WTSUnRegisterSessionNotification(window_);
}

bool SessionNotification::retry() {
    if (registered_) return true;
    registered_ = ::WTSRegisterSessionNotification(window_, NOTIFY_FOR_THIS_SESSION) != FALSE;
    if (registered_) log_line("session notification registered");
    return registered_;
}

}  // namespace player
