#pragma once

#include <cstdint>

namespace core {

// WM_COMMAND numbers shared by the tray menu and the control window.
inline constexpr std::uint32_t CMD_TOGGLE_PAUSE = 101;
inline constexpr std::uint32_t CMD_TOGGLE_DESKTOP = 102;
inline constexpr std::uint32_t CMD_OPEN_DATA_FOLDER = 106;
inline constexpr std::uint32_t CMD_EXIT = 107;
inline constexpr std::uint32_t CMD_FPS_30 = 108;
inline constexpr std::uint32_t CMD_FPS_60 = 109;
inline constexpr std::uint32_t CMD_SET_DESKTOP = 110;
inline constexpr std::uint32_t CMD_WINDOW_PREVIEW = 111;
inline constexpr std::uint32_t CMD_SELECT_FROM_LIST = 112;
inline constexpr std::uint32_t CMD_AUTOSTART = 114;
inline constexpr std::uint32_t CMD_REMOVE_WALLPAPER = 115;

// Numbers no menu or control offers; a command with one is only logged.
inline constexpr std::uint32_t CMD_UNOFFERED_FIRST = 103;
inline constexpr std::uint32_t CMD_UNOFFERED_LAST = 105;
inline constexpr bool is_unoffered_command(std::uint32_t command) {
    return command >= CMD_UNOFFERED_FIRST && command <= CMD_UNOFFERED_LAST;
}

}  // namespace core
