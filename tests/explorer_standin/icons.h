#pragma once

#include <windows.h>

// The icon view's picture: what lies behind it, then a few system icons with their labels
// in a column at the top left, as Explorer arranges a fresh desktop. Behind it lie the
// stand-in WebView2 views inside the wallpaper WorkerW: under Wine a window of another
// process inside Explorer's windows shows nothing of its own, so their frames are drawn
// here (tests/webview2_standin/shared_frame.h), as Windows' compositor shows them.
void paint_desktop_icons(HDC dc, HWND list, HWND wallpaper_worker);
// Changes whenever a view behind the icons shows a new frame.
LONG views_behind_sequence(HWND wallpaper_worker);
