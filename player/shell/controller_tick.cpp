// The controller's periodic work and its queued events.
#include <algorithm>
#include <optional>

#include "core/shell/commands.h"
#include "core/shell/status_text.h"
#include "core/web/dispatch_script.h"
#include "player/desktop/explorer_desktop.h"
#include "player/log/log.h"
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
// How often the Run key is looked for while it is missing or deleted under the watch.
constexpr seconds kRunKeyLookInterval{2};

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
    show_reported_page(host_);
    look_for_run_key(now);
    run_shell_retry(now);
    refresh_control();
    push_state();
}

void PlayerController::run_recovery_step(core::MonotonicTime now) {
    if (!elapsed_since(host_.last_check, now, kRecoveryCheckInterval)) return;
    host_.last_check = now;
    const HWND window = host_.window.get();
    const bool healthy = window != nullptr && ::IsWindow(window) && host_.webview &&
                         (!host_.mounted || ::IsWindow(host_.parent_worker));
    // Explorer may resize its desktop windows some time after it reported a display
    // change, taking the host along: placed again at once, it covers the primary monitor.
    if (healthy && host_.mounted && !covers_primary_monitor(window)) {
        log("desktop host off the primary monitor");
        if (auto placed = apply_host_mode(host_, false); !placed) report_error("desktop recovery", placed.error());
        return;
    }
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
    // Asked at most once a tick, and only where it matters.
    std::optional<bool> covered;
    const auto desktop_covered = [this, &covered] {
        if (!covered) covered = foreground_hides_wallpaper(host_.window.get());
        return *covered;
    };
    // Nobody can see the page: it is hidden and suspended, whatever it does with the pause.
    // Under the user's own pause the wallpaper keeps its last frame on view. The page hears
    // of the pause before it is suspended, and is running again before it hears it plays.
    // A page still loading runs on until it is ready: frozen, it could never say so.
    const bool unseen =
        host_.webview && host_.flags->ready && (pause_.unseen() || (host_.mounted && desktop_covered()));
    const auto apply_unseen = [&] {
        if (!host_.webview) return;
        if (auto applied = host_.webview->set_unseen(unseen); !applied) {
            log("page visibility: " + applied.error().chain());
        }
    };
    if (!unseen) apply_unseen();
    core::StatePushInputs inputs;
    inputs.any_pause_reason = pause_.any();
    inputs.desktop_covered = desktop_covered;
    inputs.settings_fps = settings_.fps.value_or(0);
    if (current_) inputs.manifest_fps = current_->manifest.fps;
    const auto pushed = push_player_state(host_, std::move(inputs), log_function());
    if (pushed) {
        ::SetTimer(controller_window_.handle(), kTickTimerId,
                   static_cast<UINT>(core::tick_interval(pushed->paused).count()), nullptr);
    }
    if (unseen) apply_unseen();
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
        show_control_window();
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
    // own pace. A page that is gone can no longer be late with its readiness, nor count as
    // ready.
    host_.load_start.reset();
    host_.flags->ready.store(false);
    const bool given_up = page_failures_.size() >= kPageFailureLimit;
    if (given_up) {
        page_recovery_stopped_ = true;
        // The runtime works; what failed is this page's process, and only the user can
        // decide to try again.
        log("page process: the wallpaper page's process failed " + std::to_string(kPageFailureLimit) +
            " times within a minute; it is not built again until a wallpaper is selected or "
            "\"set as desktop wallpaper\" is pressed");
        host_.status_text = std::string(core::kPageProcessFailureStatus);
    }
    if (auto left = leave_without_page(host_, given_up ? core::kPageProcessFailureStatus : core::kPageReopeningStatus);
        !left) {
        log("wallpaper host: " + left.error().chain());
    } else {
        if (host_.mounted) repaint_desktop_background(host_.parent_worker);
        log(std::string("wallpaper host ") + (host_.mounted ? "hidden" : "shows a notice") +
            " until its page is built again");
    }
    refresh_control();
}

void PlayerController::recover_tray() {
    if (auto added = tray_->add(); !added) {
        log("tray recovery: " + added.error().chain());
        host_.status_text = std::string(core::kTrayUnavailableStatus);
    }
    // A new shell: what it refuses now is tried again for a while.
    if (session_) session_->retry();
    if (!tray_->added() || (session_ && !session_->registered())) shell_retry_.start(clock_());
    // A restarted Explorer has new desktop windows: examine the placement at the next tick.
    host_.last_check = clock_() - std::chrono::seconds(3);
}

void PlayerController::look_for_run_key(core::MonotonicTime now) {
    // The system reports changes of the watched keys' values, never a key itself appearing
    // or being deleted: only looking finds out.
    if (!control_ || !elapsed_since(run_key_looked_, now, kRunKeyLookInterval)) return;
    run_key_looked_ = now;
    if (autostart_watch_ && !autostart_watch_->stale()) return;
    const bool was_watching = autostart_watch_.has_value();
    watch_autostart();
    if (was_watching || autostart_watch_) sync_autostart_box();
}

void PlayerController::follow_autostart_change() {
    // Armed again before the value is read, so that a change in between is not missed; a
    // watch that cannot be armed again is made afresh.
    if (autostart_watch_ && !autostart_watch_->arm()) watch_autostart();
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
            show_reported_page(host_);
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
