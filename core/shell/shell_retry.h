#pragma once

#include <chrono>
#include <optional>

#include "core/web/readiness.h"

namespace core {

// Registrations with the shell can fail early in a logon: Shell_NotifyIcon while the
// taskbar is not ready, WTSRegisterSessionNotification before Terminal Services run. One
// that failed is tried again every interval for a bounded period, which starts with the
// failure and starts again at every "TaskbarCreated".
inline constexpr std::chrono::seconds kShellRetryInterval{2};
inline constexpr std::chrono::seconds kShellRetryPeriod{120};
// A player started hidden that still has no notification icon after this long shows its
// control window: it is never left without any visible way in.
inline constexpr std::chrono::seconds kHiddenWithoutIconLimit{10};

class ShellRetrySchedule {
public:
    // Starts a period (again), with the first try one interval from now.
    void start(MonotonicTime now);
    void stop() { started_.reset(); }
    bool active() const { return started_.has_value(); }
    // Whether a try is due now; a period that has passed ends here.
    bool due(MonotonicTime now);

private:
    std::optional<MonotonicTime> started_;
    MonotonicTime last_try_{};
};

// Whether a player that was started hidden and is still hidden must show its control
// window now.
bool hidden_player_must_show(bool hidden, bool has_icon, std::chrono::steady_clock::duration running_for);

}  // namespace core
