#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <functional>

#include "core/error/error.h"
#include "player/win32/unique_resource.h"

namespace player {

// The notification-area icon. Prepared once; the icon can be added again after Explorer
// restarts, and is removed when this is dropped.
class TrayIcon {
public:
    explicit TrayIcon(HWND controller_window);
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    core::Status add();
    void remove();
    // Whether the last add put the icon in the notification area.
    bool added() const { return added_; }

private:
    NOTIFYICONDATAW data_{};
    bool added_ = false;
    win32::unique_icon icon_;
};

// The texts of the menu items that depend on the player's state.
struct TrayMenuState {
    bool user_paused = false;
    bool desktop_mounted = false;
    bool desktop_wanted = false;
};

// Opens the tray menu at the cursor and returns the chosen command (0 when dismissed).
// choose_owner runs once the menu exists and gives the window that owns it. Logs the
// opening and the closing.
std::uint32_t run_tray_menu(const std::function<HWND()>& choose_owner, HWND controller_window,
                            const TrayMenuState& state);

}  // namespace player
