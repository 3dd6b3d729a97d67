#pragma once

#include <windows.h>

// A notification area of the stand-in's own that is not ready at first: for the given
// time after it starts it refuses every request, as a taskbar still starting does; then
// it hands each request to Wine's notification area and answers with its result. Returns
// its window.
HWND start_notification_area(DWORD refuses_for_ms);
