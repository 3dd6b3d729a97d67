#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/content/wallpaper_item.h"
#include "core/error/error.h"
#include "core/shell/shell_retry.h"
#include "core/startup/command_line.h"
#include "core/startup/instance.h"
#include "player/controls/control_window.h"
#include "player/desktop/desktop_placement.h"
#include "player/library/library.h"
#include "player/library/removal.h"
#include "player/library/settings.h"
#include "player/shell/autostart_watch.h"
#include "player/shell/controller_window.h"
#include "player/shell/message_loop.h"
#include "player/shell/system_notifications.h"
#include "player/shell/tray_icon.h"
#include "player/windows/host_state.h"

namespace player {

// Why playback is paused; any one reason pauses it.
struct PauseReasons {
    bool user_paused = false;
    bool session_locked = false;
    bool suspended = false;
    bool display_off = false;

    bool any() const { return user_paused || session_locked || suspended || display_off; }
    // The reasons under which nobody can see the wallpaper (the user's own pause is not one).
    bool unseen() const { return session_locked || suspended || display_off; }
};

// What the start-up hands the controller.
struct ControllerSetup {
    std::string data_folder;
    // The settings start-up has read from the data folder.
    Config settings;
    ControllerWindow controller_window;
    core::PublisherKey publisher_key;
    bool desktop_wanted = true;
    bool startup = false;
    WebLayer& web_layer;
    RemovalPrompts removal_prompts;
    // Where the autostart switch lives: the real Run value, or a test's scratch key.
    AutostartEntry autostart;
    // The time the tick's limits and pacing are measured in; tests may set their own.
    std::function<core::MonotonicTime()> clock = [] { return std::chrono::steady_clock::now(); };
};

// The one application-state object: owns the settings, the library listing, the playing
// wallpaper, the host and the notifications, and is the only place where commands take
// effect. Lives on the main thread; window procedures reach it only through queued events.
class PlayerController final : public EventHandler {
public:
    explicit PlayerController(ControllerSetup setup);
    // Tears down in a fixed order and logs "clean shutdown".
    ~PlayerController() override;
    PlayerController(const PlayerController&) = delete;
    PlayerController& operator=(const PlayerController&) = delete;

    void dispatch(std::uint32_t command);
    core::Status select_by_id(const core::RequestedId& id);
    // select_by_id for an id taken from the library's listing, checked here like any other.
    core::Status select_listed(std::string_view id);
    void report_error(std::string_view context, const core::Error& error);
    // The tick: readiness limit, recovery, control refresh, state push.
    void refresh_playback();
    core::Status apply_display_mode();
    // The delete command: moves the library wallpaper with the pending id to the Recycle
    // Bin after the user confirms, and moves playback on if it was playing. No id, a
    // cancelled confirmation or a shell prompt turned down do nothing.
    core::Status remove_wallpaper(const std::optional<std::string>& pending_id);

    // Start-up steps.
    void reload_library();
    void register_session_notifications();
    void add_tray_icon();
    void set_package_source(std::string path);
    void start_first_wallpaper(const std::optional<core::RequestedId>& requested_id);
    // The author-preview build: plays the author's folder where it is (never installed),
    // and again whenever it changed (MSG_SOURCE_CHANGED).
    void start_source(std::string folder);
    void add_to_library_notice(std::string_view text);
    void start_tick_timer();
    void set_taskbar_created_message(UINT message);
    // Creates the control window with its autostart box set from the registry, fills it,
    // and shows it unless asked not to.
    core::Status create_control(bool show);
    void refresh_control();

    // The event loop's side.
    bool handle_event(const ControllerEvent& event) override;
    HWND dialog_window() const override;
    HANDLE autostart_changed() const override { return autostart_watch_ ? autostart_watch_->changed() : nullptr; }

    HWND controller_window() const { return controller_window_.handle(); }
    const Library& library() const { return library_; }
    const std::optional<std::string>& status_text() const { return host_.status_text; }

private:
    core::Status play_library_folder(const std::string& folder);
    core::Status open_package(const std::string& path);
    core::Status play_source_folder();
    void reload_source();
    core::Status build_host_for_current(bool fallback_to_preview);
    // Ends playback so that the desktop shows its own background again.
    void stop_playback();
    core::Status follow_display_change();
    void run_recovery_step(core::MonotonicTime now);
    void push_state();
    void handle_click(const ClickRecord& click);
    void handle_power_event(WPARAM event);
    void handle_session_event(WPARAM event);
    // Returns the command chosen, 0 when dismissed.
    std::uint32_t open_tray_menu();
    void handle_page_process_failure();
    void recover_tray();
    // Tries again what the shell refused early in the logon, and shows a hidden player
    // that has no icon yet.
    void run_shell_retry(core::MonotonicTime now);
    bool retry_shell_registrations();
    void show_control_window();
    void select_from_list();
    void toggle_autostart();
    void sync_autostart_box();
    void follow_autostart_change();
    void watch_autostart();
    void look_for_run_key(core::MonotonicTime now);
    HostServices host_services();
    void log(std::string_view line) const;
    UINT taskbar_created_message() const { return taskbar_created_; }

    std::string data_folder_;
    ControllerWindow controller_window_;
    WebLayer& web_layer_;
    DesktopPlacement placement_;
    HostState host_;
    Library library_;
    Config settings_;
    std::optional<std::string> source_path_;
    bool from_library_ = false;
    core::SharedWallpaper current_;
    core::PublisherKey publisher_key_;
    std::optional<ControlWindow> control_;
    std::optional<AutostartWatch> autostart_watch_;  // keeps the autostart switch in step
    std::optional<TrayIcon> tray_;
    std::optional<DisplayPowerNotification> display_power_;
    std::optional<SessionNotification> session_;
    core::ShellRetrySchedule shell_retry_;
    bool startup_ = false;
    PauseReasons pause_;
    UINT taskbar_created_ = 0;
    RemovalPrompts removal_prompts_;
    AutostartEntry autostart_;
    std::function<core::MonotonicTime()> clock_;
    core::MonotonicTime started_at_;
    // When the page's browser process failed lately; too many, or a refusal that cannot
    // clear by itself, stop the automatic rebuilds until the user selects or retries.
    std::vector<core::MonotonicTime> page_failures_;
    bool page_recovery_stopped_ = false;
    std::optional<core::MonotonicTime> run_key_looked_;
    std::optional<std::string> source_folder_;
};

}  // namespace player
