#pragma once

#include <chrono>
#include <optional>
#include <string_view>

#include "core/web/bridge_flags.h"

namespace core {

using MonotonicTime = std::chrono::steady_clock::time_point;

// A page gets this long to report readiness before it counts as failed.
inline constexpr std::chrono::seconds kReadinessLimit{15};

inline constexpr std::string_view kReadinessTimeoutStatus =
    "壁纸在 15 秒内没有完成打开。请确认文件夹完整且 WebView2 可用，再点击“设为桌面壁纸”重试。";
inline constexpr std::string_view kReadinessTimeoutLog = "wallpaper ready timeout after 15 seconds";

// The readiness limit, checked on every tick. When it fires it clears load_start (so it
// fires once per host) and sets the failed flag, and returns true: the caller then sets
// the status text to kReadinessTimeoutStatus and logs kReadinessTimeoutLog.
bool check_readiness_limit(std::optional<MonotonicTime>& load_start, BridgeFlags& flags,
                           MonotonicTime now);

}  // namespace core
