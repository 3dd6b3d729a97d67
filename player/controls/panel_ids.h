#pragma once

namespace player {

inline constexpr wchar_t kPanelWindowClass[] = L"Tessary.Panel";

// The control window's children; their ids are the command numbers they send.
inline constexpr int kSetDesktopButton = 110;
inline constexpr int kPauseButton = 101;
inline constexpr int kPreviewButton = 111;
inline constexpr int kWallpaperList = 112;
inline constexpr int kAutostartBox = 114;
inline constexpr int kExitButton = 107;
inline constexpr int kRemoveCommand = 115;

}  // namespace player
