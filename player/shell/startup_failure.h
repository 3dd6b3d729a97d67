#pragma once

#include <string_view>

#include "core/error/error.h"

namespace player {

inline constexpr std::string_view kStartupCaption = "Tessary · 互动壁纸";

// Shows the start-up message box (no owner, information icon) and waits for the user.
void show_startup_message(std::string_view text);

// The one way a start-up ends in failure: a "fatal: " log line (lost when the log is not
// open yet) and the message box with the error chain.
void report_startup_failure(const core::Error& error);

}  // namespace player
