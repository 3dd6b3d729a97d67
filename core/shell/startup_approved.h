#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace core {

// Windows' own "Startup apps" switch (Task Manager, Settings) for a Run value: a binary
// value of the same name under the current user's
// Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\Run. A Run value
// that this flag disables is not started at logon, even when the Run value is written
// again. docs/desktop.md names the public reports.
//
//   if (core::startup_approval_disables(flag)) { /* Windows will not start us */ }

// What Task Manager writes when the user enables the entry: 02, then eight zero bytes
// where a disabled entry keeps the time it was disabled.
inline constexpr std::array<std::uint8_t, 12> kStartupApprovalEnabled{0x02};

// Whether the flag (its bytes; none when there is no such value) keeps the Run value from
// starting. No flag is no objection; a first byte 02 or 06 is enabled (reported for
// Windows 8 to 11); 03, and anything else, is disabled.
bool startup_approval_disables(std::optional<std::span<const std::uint8_t>> flag);

}  // namespace core
