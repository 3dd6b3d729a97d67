#pragma once

#include <windows.h>

// The desktop icons the stand-in's icon view shows: a few system icons with their labels
// in a column at the top left, as Explorer arranges a fresh desktop.
void paint_desktop_icons(HDC dc);
// The icons' cells: with --wallpaper-visible the icon view is cut to them, so that the
// wallpaper behind shows on an X server that composes no transparency.
HRGN desktop_icons_region();
