// The controller's periodic work and its queued events.
#include <algorithm>

#include "core/shell/commands.h"
#include "core/web/dispatch_script.h"
#include "player/desktop/explorer_desktop.h"
#include "player/shell/log.h"
#include "player/shell/player_controller.h"
#include "player/windows/bridge_glue.h"
#include "player/windows/host_build.h"

namespace player {
namespace {

using std::chrono::seconds;

// The placement is examined at most this often, and repaired at most this often.
constexpr seconds kRecoveryCheckInterval{2};
constexpr seconds kRecoveryAttemptInterval{5};
// A press the controller gets to later than this is stale.
constexpr std::chrono::seconds kClickMaxAge{1};
// A page whose browser fails this often within the window is not rebuilt by itself again.
constexpr std::size_t kPageFailureLimit = 3;
constexpr std::chrono::seconds kPageFailureWindow{60};

const LogFunction& log_function() {
    static const LogFunction function = [](std::string_view line) { log_line(line); };
    return function;
}

bool elapsed_since(const std::optional<core::MonotonicTime>& then, core::MonotonicTime now, seconds interval) {
    return !then || now - *then >= interval;
}

}  // namespace

void PlayerController::refresh_playback() {
    const core::MonotonicTime now = clock_();
    apply_readiness_limit(host_, now, log_function());
    if (current_) run_recovery_step(now);
    refresh_control();
    push_state();
}

void PlayerController::run_recovery_step(core::MonotonicTime now) {
    if (!elapsed_since(host_.last_check, now, kRecoveryCheckInterval)) return;
    host_.last_check = now;
    const HWND window = host_.window.get();
    const bool healthy = window != nullptr && ::IsWindow(window) && host_.webview &&
                         (!host_.mounted || ::IsWindow(host_.parent_worker));
    const bool needed = !healthy || (host_.desktop_wanted && !host_.mounted);
    if (!needed || !elapsed_since(host_.last_attempt, now, kRecoveryAttemptInterval)) return;
    host_.last_attempt = now;

    core::Status repaired;
    if (window != nullptr && ::IsWindow(window) && host_.webview) {
        repaired = host_.desktop_wanted ? apply_host_mode(host_, false) : sync_webview_bounds(host_);
    } else {
        repaired = build_host_for_current(false);
    }
    if (!repaired) report_error("desktop recovery", repaired.error());
}

core::Status PlayerController::follow_display_change() {
    const HWND window = host_.window.get();
    if (window != nullptr && ::IsWindow(window) && host_.webview) {
        return host_.desktop_wanted ? apply_host_mode(host_, false) : sync_webview_bounds(host_);
    }
    return build_host_for_current(false);
}

void PlayerController::push_state() {
    core::StatePushInputs inputs;
    inputs.any_pause_reason = pause_.any();
    inputs.desktop_covered = [this] { return foreground_hides_wallpaper(host_.window.get()); };
    inputs.settings_fps = settings_.fps.value_or(0);
    if (current_) inputs.manifest_fps = current_->manifest.fps;
    const auto pushed = push_player_state(host_, std::move(inputs), log_function());
    if (pushed) {
        ::SetTimer(controller_window_.handle(), kTickTimerId,
                   static_cast<UINT>(core::tick_interval(pushed->paused).count()), nullptr);
    }
}

void PlayerController::handle_click(const ClickRecord& click) {
    const core::MonotonicTime now = std::chrono::steady_clock::now();
    if (now - click.time > kClickMaxAge) return;
    if (host_.load_start && click.time < *host_.load_start) return;
    if (!host_.flags->ready || host_.flags->failed || pause_.any()) return;
    const HWND host = host_.window.get();
    if (host_.mounted && foreground_hides_wallpaper(host)) return;
    if (host == nullptr || !::IsWindow(host) || !::IsWindow(click.under_cursor)) return;

    const HWND foreground = ::GetForegroundWindow();
    if (host_.mounted) {
        if (!is_desktop_window(foreground) || !is_desktop_window(click.under_cursor)) return;
    } else if (click.foreground != host || foreground != host || ::GetAncestor(click.under_cursor, GA_ROOT) != host) {
        return;
    }
    POINT point = click.position;
    RECT client{};
    if (!::ScreenToClient(host, &point) || !::GetClientRect(host, &client)) return;
    const LONG width = client.right - client.left;
    const LONG height = client.bottom - client.top;
    if (point.x < 0 || point.y < 0 || point.x >= width || point.y >= height) return;
    dispatch_to_page(host_, core::kClickEvent,
                     core::click_detail_json(static_cast<double>(point.x) / width,
                                             static_cast<double>(point.y) / height),
                     log_function());
}

void PlayerController::handle_power_event(WPARAM event) {
    switch (event) {
        case PBT_APMSUSPEND:
            pause_.suspended = true;
            break;
        case PBT_APMRESUMEAUTOMATIC:
        case PBT_APMRESUMESUSPEND:
            pause_.suspended = false;
            break;
        default:
            return;
    }
    refresh_playback();
}

void PlayerController::handle_session_event(WPARAM event) {
    if (event == WTS_SESSION_LOCK) pause_.session_locked = true;
    if (event == WTS_SESSION_UNLOCK) pause_.session_locked = false;
    refresh_playback();
}

std::uint32_t PlayerController::open_tray_menu() {
    const auto choose_owner = [this] {
        const HWND panel = dialog_window();
        if (panel == nullptr) return controller_window_.handle();
        ::ShowWindow(panel, SW_RESTORE);
        ::SetForegroundWindow(panel);
        return panel;
    };
    const std::uint32_t command = run_tray_menu(choose_owner, controller_window_.handle(),
                                                TrayMenuState{pause_.user_paused, host_.mounted, host_.desktop_wanted});
    if (command != 0) dispatch(command);
    return command;
}

void PlayerController::handle_page_process_failure() {
    // Set only on the current build's flags: a notice from a page already replaced is stale.
    // Each page fails once: later notices about the same page change nothing.
    if (!host_.flags->process_failed.exchange(false) || !host_.webview) return;
    const core::MonotonicTime now = clock_();
    std::erase_if(page_failures_, [&](core::MonotonicTime then) { return now - then >= kPageFailureWindow; });
    page_failures_.push_back(now);
    // Without its WebView the host counts as broken: the recovery step rebuilds it at its
    // own pace. A page that is gone can no longer be late with its readiness.
    host_.webview.reset();
    host_.load_start.reset();
    if (page_failures_.size() >= kPageFailureLimit) {
        page_recovery_stopped_ = true;
        report_error("page process", core::Error("WebView2 browser process failed " +
                                                 std::to_string(kPageFailureLimit) + " times within a minute"));
    }
    refresh_control();
}

void PlayerController::recover_tray() {
    if (auto added = tray_->add(); !added) {
        log("tray recovery: " + added.error().chain());
        host_.status_text = "Windows 托盘图标暂时未能恢复。仍可使用此控制窗口操作壁纸。";
    }
    // A restarted Explorer has new desktop windows: examine the placement at the next tick.
    host_.last_check = clock_() - std::chrono::seconds(3);
}

void PlayerController::follow_autostart_change() {
    // Armed again before the value is read, so that a change in between is not missed.
    if (autostart_watch_ && !autostart_watch_->arm()) autostart_watch_.reset();
    sync_autostart_box();
}

bool PlayerController::handle_event(const ControllerEvent& event) {
    switch (event.message) {
        case WM_DISPLAYCHANGE:
            if (current_) {
                if (auto followed = follow_display_change(); !followed) report_error("display change", followed.error());
            }
            refresh_playback();
            return true;
        case WM_COMMAND: {
            const auto command = static_cast<std::uint32_t>(LOWORD(event.wparam));
            dispatch(command);
            return command != core::CMD_EXIT;
        }
        case WM_TIMER:
            refresh_playback();
            return true;
        case MSG_TRAY_MENU:
            // The exit command drops what is still queued, from the menu as from anywhere.
            return open_tray_menu() != core::CMD_EXIT;
        case MSG_PAGE_PROCESS_FAILED:
            handle_page_process_failure();
            return true;
        case MSG_SHOW_CONTROL:
            refresh_control();
            show_control_window();
            return true;
        case MSG_REFRESH_CONTROL:
            // Later notices of the page are posted again from here on.
            host_.flags->refresh_posted.store(false);
            refresh_control();
            return true;
        case MSG_DESKTOP_CLICK:
            handle_click(std::get<ClickRecord>(event.payload));
            return true;
        case MSG_DISPLAY_STATE: {
            const std::uint32_t state = std::get<std::uint32_t>(event.payload);
            // Dimmed counts as off: nobody is watching closely.
            pause_.display_off = state != 1;
            log("console display state=" + std::to_string(state));
            refresh_playback();
            return true;
        }
        case MSG_SOURCE_CHANGED:
            reload_source();
            return true;
        case MSG_AUTOSTART_CHANGED:
            follow_autostart_change();
            return true;
        case MSG_SELECT_WALLPAPER:
            if (auto selected = select_by_id(std::get<core::RequestedId>(event.payload)); !selected) {
                report_error("select wallpaper", selected.error());
            }
            refresh_control();
            show_control_window();
            return true;
        case WM_POWERBROADCAST:
            handle_power_event(event.wparam);
            return true;
        case WM_WTSSESSION_CHANGE:
            handle_session_event(event.wparam);
            return true;
        default:
            if (event.message != 0 && event.message == taskbar_created_message()) recover_tray();
            return true;
    }
}

}  // namespace player
