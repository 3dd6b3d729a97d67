#pragma once

#include <windows.h>

namespace win32 {

// The window (or a child of it) stops being this thread's active and focus window. A
// window that is destroyed or hidden while active hands activation on, possibly to
// Explorer's desktop, and under Wine that hand-over waits for a hung Explorer without end;
// one that is no longer active hands nothing on.
void release_activation(HWND window);

}  // namespace win32
