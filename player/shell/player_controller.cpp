#include "player/shell/player_controller.h"

#include <shellapi.h>

#include "core/content/frame_rate.h"
#include "core/controls/panel_content.h"
#include "core/shell/commands.h"
#include "core/shell/status_text.h"
#include "core/startup/command_line.h"
#include "player/desktop/mouse_input.h"
#include "player/library/library_play.h"
#include "player/library/package_open.h"
#include "player/log/log.h"
#include "player/shell/autostart.h"
#include "player/shell/startup_failure.h"
#include "player/win32/activation.h"
#include "player/win32/wide.h"
#include "player/windows/host_build.h"

namespace player {

PlayerController::PlayerController(ControllerSetup setup)
    : data_folder_(std::move(setup.data_folder)),
      controller_window_(std::move(setup.controller_window)),
      web_layer_(setup.web_layer),
      settings_(std::move(setup.settings)),
      publisher_key_(setup.publisher_key),
      startup_(setup.startup),
      removal_prompts_(std::move(setup.removal_prompts)),
      autostart_(std::move(setup.autostart)),
      clock_(std::move(setup.clock)),
      started_at_(clock_()) {
    host_.desktop_wanted = setup.desktop_wanted;
    tray_.emplace(controller_window_.handle());
    display_power_.emplace(controller_window_.handle());
}

PlayerController::~PlayerController() {
    // The browser goes before its window, the windows before the registrations that feed
    // them, and the controller window last, since everything above posts to it. Neither
    // window is active when it goes, so no activation is handed to a hung Explorer.
    win32::release_activation(host_.window.get());
    close_host_and_repaint(host_);
    win32::release_activation(dialog_window());
    control_.reset();
    ::KillTimer(controller_window_.handle(), kTickTimerId);
    session_.reset();
    display_power_.reset();
    unregister_mouse_input();
    tray_.reset();
    controller_window_.destroy();
    log("clean shutdown");
}

void PlayerController::log(std::string_view line) const { log_line(line); }

HostServices PlayerController::host_services() {
    return HostServices{.web_layer = web_layer_,
                        .placement = placement_,
                        .controller_window = controller_window_.handle(),
                        .log = [](std::string_view line) { log_line(line); },
                        .refresh_status = [this] { refresh_control(); },
                        .now = clock_};
}

void PlayerController::report_error(std::string_view context, const core::Error& error) {
    log(std::string(context) + ": " + error.chain());
    host_.status_text = std::string(core::status_text_for_error(error));
}

void PlayerController::dispatch(std::uint32_t command) {
    log("control command=" + std::to_string(command));
    if (core::is_unoffered_command(command)) return;
    const std::string context = "command " + std::to_string(command);
    const auto report = [&](const core::Status& result) {
        if (!result) report_error(context, result.error());
    };
    switch (command) {
        case core::CMD_TOGGLE_PAUSE:
            pause_.user_paused = !pause_.user_paused;
            host_.last_pushed.reset();
            refresh_playback();
            break;
        case core::CMD_TOGGLE_DESKTOP:
            host_.status_text.reset();
            host_.desktop_wanted = !host_.mounted;
            if (current_) report(apply_display_mode());
            break;
        case core::CMD_OPEN_DATA_FOLDER:
            if (auto folder = win32::to_wide(data_folder_)) {
                ::ShellExecuteW(controller_window_.handle(), L"open", folder->c_str(), nullptr, nullptr, SW_SHOWNORMAL);
            }
            break;
        case core::CMD_EXIT:
            ::PostQuitMessage(0);
            break;
        case core::CMD_FPS_30:
        case core::CMD_FPS_60:
            settings_.fps = command == core::CMD_FPS_30 ? core::kLowFrameRate : core::kHighFrameRate;
            save_settings(data_folder_, settings_);
            refresh_playback();
            break;
        case core::CMD_SET_DESKTOP:
            host_.status_text.reset();
            host_.desktop_wanted = true;
            if (current_) {
                report(apply_display_mode());
            } else if (source_path_) {
                report(from_library_ ? play_library_folder(*source_path_) : open_package(*source_path_));
            }
            break;
        case core::CMD_WINDOW_PREVIEW:
            host_.status_text.reset();
            host_.desktop_wanted = false;
            if (current_) {
                report(apply_display_mode());
            } else {
                show_control_window();
            }
            break;
        case core::CMD_SELECT_FROM_LIST:
            select_from_list();
            break;
        case core::CMD_AUTOSTART:
            toggle_autostart();
            break;
        case core::CMD_REMOVE_WALLPAPER:
            // A nested loop inside one of the window's handlers leaves its requests alone.
            if (control_ && !control_->in_use()) report(remove_wallpaper(control_->take_pending_deletion()));
            break;
        default:
            break;
    }
    refresh_control();
}

core::Status PlayerController::select_by_id(const core::RequestedId& id) {
    reload_library();
    auto chosen = choose_entry(library_.entries, id.value(), std::nullopt);
    if (!chosen) return std::unexpected(chosen.error());
    if (!*chosen) return core::fail("壁纸库还没有作品");
    return play_library_folder((*chosen)->folder);
}

core::Status PlayerController::select_listed(std::string_view id) {
    auto requested = core::validate_requested_id(id);
    if (!requested) return std::unexpected(requested.error());
    return select_by_id(*requested);
}

core::Status PlayerController::play_library_folder(const std::string& folder) {
    auto wallpaper = play_library_entry(data_folder_, folder, settings_);
    if (!wallpaper) return std::unexpected(wallpaper.error());
    source_path_ = folder;
    from_library_ = true;
    current_ = std::move(*wallpaper);
    return build_host_for_current(true);
}

core::Status PlayerController::open_package(const std::string& path) {
    auto opened = open_package_file(data_folder_, path, publisher_key_);
    if (!opened) return std::unexpected(opened.error());
    settings_.package = opened->reopen_path;
    settings_.selected_id = opened->wallpaper->manifest.id;
    source_path_ = opened->reopen_path;
    from_library_ = false;
    current_ = std::move(opened->wallpaper);
    save_settings(data_folder_, settings_);
    reload_library();
    return build_host_for_current(true);
}

core::Status PlayerController::build_host_for_current(bool fallback_to_preview) {
    // Builds the user asks for (selection, package, mode commands) start afresh; the
    // automatic ones (recovery, display change) stay off once the page's browser kept failing.
    if (fallback_to_preview) {
        page_failures_.clear();
        page_recovery_stopped_ = false;
    } else if (page_recovery_stopped_) {
        return {};
    }
    auto built = build_host(host_, host_services(), current_, fallback_to_preview);
    // Retrying unasked would meet the same refusal every few seconds, for good.
    if (!built && core::refusal_needs_restart(built.error())) page_recovery_stopped_ = true;
    return built;
}

core::Status PlayerController::apply_display_mode() {
    const HWND window = host_.window.get();
    if (window != nullptr && ::IsWindow(window) && !host_.flags->failed && host_.webview) {
        return apply_host_mode(host_, true);
    }
    return build_host_for_current(true);
}

void PlayerController::reload_library() { library_ = player::reload_library(data_folder_); }

void PlayerController::set_package_source(std::string path) {
    source_path_ = std::move(path);
    from_library_ = false;
}

// The listing start-up has just built serves the choice: the chosen entry is played
// straight away instead of being looked up again in a second rebuild.
void PlayerController::start_first_wallpaper(const std::optional<core::RequestedId>& requested_id) {
    const std::optional<std::string> requested =
        requested_id ? std::optional<std::string>(requested_id->value()) : std::nullopt;
    auto chosen = choose_entry(library_.entries, requested, settings_.selected_id);
    if (!chosen) {
        report_error("startup", chosen.error());
        return;
    }
    if (!*chosen) {
        report_error("startup",
                     core::Error("壁纸库还没有作品。请安装壁纸，或完整解压含 wallpapers 文件夹的便携版后运行。"));
        return;
    }
    if (auto played = play_library_folder((*chosen)->folder); !played) {
        report_error("startup", played.error());
        // Nothing the user can do in the player helps: the start-up itself must change.
        if (core::refusal_needs_restart(played.error())) {
            show_startup_message("启动失败：\n" + std::string(core::status_text_for_error(played.error())));
        }
    }
}

void PlayerController::add_to_library_notice(std::string_view text) {
    library_.notice = library_.notice ? *library_.notice + " " + std::string(text) : std::string(text);
}

void PlayerController::start_tick_timer() {
    ::SetTimer(controller_window_.handle(), kTickTimerId,
               static_cast<UINT>(core::kPlayingTickInterval.count()), nullptr);
}

void PlayerController::set_taskbar_created_message(UINT message) {
    taskbar_created_ = message;
    controller_window_.set_taskbar_created_message(message);
}

core::Status PlayerController::create_control(bool show) {
    auto created = create_control_window(controller_window_.handle());
    if (!created) return std::unexpected(created.error());
    control_.emplace(std::move(*created));
    watch_autostart();
    sync_autostart_box();
    // Filled before it is first seen, so that it opens at its final size.
    refresh_control();
    if (show) control_->show();
    return {};
}

void PlayerController::refresh_control() {
    // A player started hidden shows itself the first time it has something to say.
    if (startup_ && host_.status_text) {
        startup_ = false;
        show_control_window();
    }
    if (host_.flags->failed && !host_.status_text) {
        host_.status_text = std::string(core::kResourceFailureStatus);
    }
    if (!control_) return;

    const HWND host = host_.window.get();
    const bool host_exists = host != nullptr && ::IsWindow(host);
    core::PanelInputs inputs;
    if (current_) inputs.wallpaper_name = current_->manifest.name;
    inputs.status_text = host_.status_text;
    inputs.library_empty = library_.entries.empty();
    inputs.library_notice = library_.notice;
    inputs.ready = host_.flags->ready;
    inputs.failed = host_.flags->failed;
    inputs.host_exists = host_exists;
    inputs.webview_exists = host_.webview != nullptr;
    inputs.desktop_mounted = host_.mounted;
    inputs.host_visible = host_exists && ::IsWindowVisible(host);
    inputs.desktop_wanted = host_.desktop_wanted;
    inputs.user_paused = pause_.user_paused;

    std::optional<std::string> in_use;
    if (current_) in_use = current_->manifest.id;
    control_->refresh(core::panel_content(inputs), library_.entries, in_use);
}

void PlayerController::show_control_window() {
    if (!control_) return;
    control_->show();
    ::SetForegroundWindow(control_->handle());
}

void PlayerController::select_from_list() {
    // A nested loop inside one of the window's handlers leaves its requests alone.
    if (!control_ || control_->in_use()) return;
    const auto pending = control_->take_pending_selection();
    if (!pending) return;
    if (auto selected = select_listed(*pending); !selected) {
        report_error("command " + std::to_string(core::CMD_SELECT_FROM_LIST), selected.error());
    }
}

void PlayerController::toggle_autostart() {
    const bool wanted = control_ && control_->autostart_checked();
    const core::Status changed = set_autostart(wanted, autostart_);
    // The box always ends up showing what the registry holds, whatever happened.
    sync_autostart_box();
    if (!changed) report_error("command " + std::to_string(core::CMD_AUTOSTART), changed.error());
}

void PlayerController::sync_autostart_box() {
    if (!control_) return;
    const auto status = autostart_status(autostart_);
    control_->set_autostart_checked(status && *status);
}

void PlayerController::watch_autostart() {
    // Without a Run key there is nothing to watch yet; the tick looks for it again.
    autostart_watch_.reset();
    if (auto watch = AutostartWatch::open(autostart_)) autostart_watch_.emplace(std::move(*watch));
}

HWND PlayerController::dialog_window() const { return control_ ? control_->handle() : nullptr; }

}  // namespace player
