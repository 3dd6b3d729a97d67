#include "core/log/log_format.h"

namespace core {

std::string format_log_line(std::int64_t unix_seconds, std::string_view message) {
    std::string line = "[";
    line += std::to_string(unix_seconds < 0 ? 0 : unix_seconds);
    line += "] ";
    line += message;
    line += '\n';
    return line;
}

std::int64_t unix_seconds_from_filetime(std::uint64_t filetime_ticks) {
    constexpr std::uint64_t kTicksPerSecond = 10'000'000;
    constexpr std::uint64_t kEpochDifferenceSeconds = 11'644'473'600;  // 1601 to 1970
    const std::uint64_t seconds = filetime_ticks / kTicksPerSecond;
    if (seconds < kEpochDifferenceSeconds) return 0;
    return static_cast<std::int64_t>(seconds - kEpochDifferenceSeconds);
}

}  // namespace core
