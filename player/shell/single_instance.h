#pragma once

#include <optional>
#include <string>

#include "core/error/error.h"
#include "core/startup/command_line.h"
#include "player/win32/unique_resource.h"

namespace player {

// The named mutex that keeps one player per session and publisher; held until the end.
class InstanceLock {
public:
    explicit InstanceLock(win32::unique_handle mutex) : mutex_(std::move(mutex)) {}

private:
    win32::unique_handle mutex_;
};

// Takes the lock, or returns nothing when another player already holds it.
core::Result<std::optional<InstanceLock>> take_instance_lock(const std::string& instance_name);

// The second start's part: find the running player, hand over the requested id and ask it
// to show its control window (unless started by autostart).
struct HandOff {
    std::optional<core::RequestedId> wallpaper_id;
    bool startup = false;
};
core::Status hand_off_to_running_player(const std::string& instance_name, const HandOff& request);

}  // namespace player
