#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/error/error.h"

namespace core {

inline constexpr std::string_view kAutostartArgument = " --startup";

// The Run value is read through a buffer of this many bytes (4,096 UTF-16 units).
inline constexpr std::size_t kAutostartValueBytes = 8192;
// The longest value, in UTF-16 units, that still fits that buffer with its terminating zero.
inline constexpr std::size_t kMaxAutostartValueUnits = kAutostartValueBytes / 2 - 1;

inline constexpr std::string_view kInvalidAutostartPath = "启动程序路径无效";
inline constexpr std::string_view kUnwritableAutostartPath = "程序路径无法写入启动设置";
inline constexpr std::string_view kAutostartConflict =
    "已有不同位置的 Tessary 启动项，请先在原程序取消开机启动";

// The Run value that starts this executable: "\"" + path + "\" --startup". The path must be
// an absolute drive ("X:\...") or UNC ("\\server\share\...") path without control
// characters or double quotes.
Result<std::string> autostart_value(std::string_view executable_path);

// Autostart is on exactly when the value exists and equals the expected one.
bool autostart_enabled(const std::optional<std::string>& current, std::string_view expected);

enum class AutostartChange { none, write, remove };

// What a toggle does to the registry, given what is there now.
Result<AutostartChange> plan_autostart_change(const std::optional<std::string>& current,
                                              std::string_view expected, bool wanted);

}  // namespace core
