#include "core/shell/startup_approved.h"

namespace core {

bool startup_approval_disables(std::optional<std::span<const std::uint8_t>> flag) {
    if (!flag) return false;
    // Only the enabled forms seen in public reports pass; an unknown form counts as the
    // user's "off", so the switch never claims a start that Windows may not make.
    return flag->empty() || ((*flag)[0] != 0x02 && (*flag)[0] != 0x06);
}

}  // namespace core
