// The controller's registrations with the shell, which may fail early in a logon, and the
// hidden player that must not stay invisible meanwhile.
#include "core/shell/status_text.h"
#include "player/log/log.h"
#include "player/shell/player_controller.h"

namespace player {
namespace {

// Shell_NotifyIcon waits up to four seconds for a notification area that does not answer
// (a public note on its documentation): a retry first asks, for a moment, whether the
// taskbar answers at all, so that a busy Explorer never holds the player for long.
constexpr UINT kTaskbarProbeTimeoutMs = 250;

bool taskbar_answers() {
    const HWND taskbar = ::FindWindowW(L"Shell_TrayWnd", nullptr);
    DWORD_PTR ignored = 0;
    return taskbar != nullptr &&
           ::SendMessageTimeoutW(taskbar, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kTaskbarProbeTimeoutMs, &ignored) != 0;
}

}  // namespace

void PlayerController::add_tray_icon() {
    auto added = tray_->add();
    if (added) return;
    log("optional tray unavailable: " + added.error().chain());
    shell_retry_.start(clock_());
}

void PlayerController::register_session_notifications() {
    session_.emplace(controller_window_.handle());
    if (!session_->registered()) shell_retry_.start(clock_());
}

bool PlayerController::retry_shell_registrations() {
    if (!tray_->added() && taskbar_answers() && tray_->add()) {
        log("tray icon added");
        if (host_.status_text == core::kTrayUnavailableStatus) host_.status_text.reset();
    }
    if (session_) session_->retry();
    return tray_->added() && (!session_ || session_->registered());
}

void PlayerController::run_shell_retry(core::MonotonicTime now) {
    if (shell_retry_.due(now) && retry_shell_registrations()) shell_retry_.stop();
    const HWND panel = dialog_window();
    const bool hidden = startup_ && (panel == nullptr || !::IsWindowVisible(panel));
    if (core::hidden_player_must_show(hidden, tray_->added(), now - started_at_) && !host_.status_text) {
        log("no notification icon yet: showing the control window");
        // The control refresh that follows shows a hidden player that has something to say.
        host_.status_text = std::string(core::kTrayUnavailableStatus);
    }
}

}  // namespace player
