#pragma once

#include <optional>
#include <string_view>

#include "core/web/bridge_flags.h"

namespace core {

inline constexpr std::string_view kReadyMessage = "ready";
inline constexpr std::string_view kAssetErrorMessage = "asset-error";

// Applies one message the page posted to the flags. When the message counted, returns the
// log line; the caller writes it and posts MSG_REFRESH_CONTROL to the controller window.
// Anything else (unknown text, "ready" after a failure) changes nothing and returns none.
std::optional<std::string_view> apply_page_message(std::string_view message, BridgeFlags& flags);

}  // namespace core
