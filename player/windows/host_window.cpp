#include "player/windows/host_window.h"

#include "core/shell/commands.h"
#include "player/win32/window_class.h"

namespace player {

core::Status register_host_window_class() {
    return win32::register_player_window_class(kHostWindowClass, host_window_procedure,
                                               "window registration failed: ");
}

LRESULT CALLBACK host_window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_CLOSE: {
            // Closing the preview ends the player; the controller tears the host down.
            const auto controller = reinterpret_cast<HWND>(::GetWindowLongPtrW(window, GWLP_USERDATA));
            if (controller != nullptr) ::PostMessageW(controller, WM_COMMAND, core::CMD_EXIT, 0);
            return 0;
        }
        case WM_MOUSEACTIVATE:
            // On the desktop a click on the wallpaper must not take the focus from anyone.
            if ((::GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) != 0) return MA_NOACTIVATE;
            break;
        default:
            break;
    }
    return ::DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace player
