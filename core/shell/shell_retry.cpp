#include "core/shell/shell_retry.h"

namespace core {

void ShellRetrySchedule::start(MonotonicTime now) {
    started_ = now;
    last_try_ = now;
}

bool ShellRetrySchedule::due(MonotonicTime now) {
    if (!started_) return false;
    if (now - *started_ > kShellRetryPeriod) {
        started_.reset();
        return false;
    }
    if (now - last_try_ < kShellRetryInterval) return false;
    last_try_ = now;
    return true;
}

bool hidden_player_must_show(bool hidden, bool has_icon, std::chrono::steady_clock::duration running_for) {
    return hidden && !has_icon && running_for >= kHiddenWithoutIconLimit;
}

}  // namespace core
