#pragma once

#include <cstdint>
#include <string_view>

namespace core {

// A wallpaper plays at one of two frame rates: the manifest, the settings, the tray menu
// and the author's preview all accept exactly these.
inline constexpr std::uint32_t kLowFrameRate = 30;
inline constexpr std::uint32_t kHighFrameRate = 60;

constexpr bool is_supported_fps(std::uint32_t fps) { return fps == kLowFrameRate || fps == kHighFrameRate; }

inline constexpr std::string_view kUnsupportedFpsMessage = "fps must be 30 or 60";

}  // namespace core
