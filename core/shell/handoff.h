#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/startup/command_line.h"

namespace core {

// Tag of the WM_COPYDATA record that hands a wallpaper id to the running player.
inline constexpr std::uint32_t kHandoffTag = 0x54534C49;
// The id's bytes and a terminating zero: 2 to 101 bytes.
inline constexpr std::size_t kMinHandoffBytes = 2;
inline constexpr std::size_t kMaxHandoffBytes = 101;

// The record's bytes for an id that already passed the id rule.
std::string handoff_record(std::string_view id);

// The receiver's check of a record from another process: size, terminating zero, UTF-8
// and the id rule. Anything else is refused.
std::optional<RequestedId> read_handoff_record(const void* data, std::size_t size);

}  // namespace core
