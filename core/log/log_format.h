#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace core {

// A log larger than this is moved aside at start; exactly this size is kept.
inline constexpr std::uint64_t kLogRotateAboveBytes = 2'097'152;

inline bool log_needs_rotation(std::uint64_t size) { return size > kLogRotateAboveBytes; }

// "[" seconds since 1970 "] " message "\n"; a clock before 1970 writes 0.
std::string format_log_line(std::int64_t unix_seconds, std::string_view message);

// Whole seconds since 1970 from a Windows FILETIME value (100 ns ticks since 1601).
std::int64_t unix_seconds_from_filetime(std::uint64_t filetime_ticks);

}  // namespace core
