#include "core/web/readiness.h"

namespace core {

bool check_readiness_limit(std::optional<MonotonicTime>& load_start, BridgeFlags& flags,
                           MonotonicTime now) {
    // A page that already failed (a lost resource, even after it was ready) has its
    // failure shown; telling the user it never opened would be wrong.
    if (!load_start || flags.ready.load() || flags.failed.load()) return false;
    // Whole seconds: 14.999 s is still within the limit.
    if (std::chrono::duration_cast<std::chrono::seconds>(now - *load_start) < kReadinessLimit) {
        return false;
    }
    load_start.reset();
    flags.failed.store(true);
    return true;
}

}  // namespace core
