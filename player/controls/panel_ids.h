#pragma once

#include "core/shell/commands.h"

namespace player {

inline constexpr wchar_t kPanelWindowClass[] = L"Tessary.Panel";

// The control window's children; their ids are the command numbers they send.
inline constexpr int kSetDesktopButton = core::CMD_SET_DESKTOP;
inline constexpr int kPauseButton = core::CMD_TOGGLE_PAUSE;
inline constexpr int kPreviewButton = core::CMD_WINDOW_PREVIEW;
inline constexpr int kWallpaperList = core::CMD_SELECT_FROM_LIST;
inline constexpr int kAutostartBox = core::CMD_AUTOSTART;
inline constexpr int kExitButton = core::CMD_EXIT;
inline constexpr int kRemoveCommand = core::CMD_REMOVE_WALLPAPER;

}  // namespace player
