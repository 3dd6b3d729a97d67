#include "player/shell/player_startup.h"

#include <windows.h>
#include <objbase.h>

#include "player/controls/control_window.h"
#include "player/desktop/mouse_input.h"
#include "player/library/file_entry.h"
#include "player/library/import.h"
#include "player/library/paths.h"
#include "player/library/settings.h"
#include "player/log/log.h"
#include "player/shell/controller_window.h"
#include "player/shell/player_controller.h"
#include "player/shell/single_instance.h"
#include "player/shell/source_watch.h"
#include "player/win32/dpi.h"
#include "player/win32/system_error.h"
#include "player/windows/host_window.h"

namespace player {
namespace {

// COM for this thread as a single-threaded apartment, released when dropped.
class ComApartment {
public:
    static core::Result<ComApartment> initialize() {
        const HRESULT result = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        if (FAILED(result)) {
            return core::fail("COM initialization failed: " + win32::hresult_text(result));
        }
        return ComApartment();
    }
    ComApartment(ComApartment&& other) noexcept : owned_(std::exchange(other.owned_, false)) {}
    ~ComApartment() {
        if (owned_) ::CoUninitialize();
    }

private:
    ComApartment() = default;
    bool owned_ = true;
};

core::Status register_window_classes() {
    if (auto registered = register_controller_window_class(); !registered) return registered;
    if (auto registered = register_host_window_class(); !registered) return registered;
    return register_panel_window_class();
}

// A file that is really there: not a folder and not a link of any kind.
bool is_plain_file(const std::string& path) {
    auto entry = read_own_attributes(path);
    return entry && !entry->is_directory() && !entry->is_reparse_point();
}

// The package to reopen on "set as desktop wallpaper" when nothing plays: the command
// line's, else one beside the program, else the last one opened.
std::string package_candidate(const EntryContext& context, const Config& settings) {
    if (context.options.package_path) return *context.options.package_path;
    const std::string beside = join_path(context.exe_folder, "wallpaper.wallpkg");
    if (is_plain_file(beside)) return beside;
    if (settings.package && is_plain_file(*settings.package)) return *settings.package;
    return beside;
}

}  // namespace

core::Status run_player(const EntryContext& context, const WebLayerFactory& make_web_layer) {
    const Config settings = load_settings(context.data_folder);

    // An author's folder plays where it lies; nothing is installed alongside it.
    const std::vector<std::string> rejections =
        context.source_folder
            ? std::vector<std::string>()
            : import_portable_wallpapers(library_folder(context.data_folder), context.exe_folder, settings.removed);
    for (const std::string& rejection : rejections) log_line("bundled library import rejected: " + rejection);

    auto lock = take_instance_lock(context.instance_name);
    if (!lock) return std::unexpected(lock.error());
    if (!*lock) {
        return hand_off_to_running_player(
            context.instance_name, HandOff{context.options.select_wallpaper, context.options.startup});
    }

    auto com = ComApartment::initialize();
    if (!com) return std::unexpected(com.error());
    win32::use_per_monitor_v2_dpi();
    if (auto registered = register_window_classes(); !registered) return registered;

    auto controller_window = ControllerWindow::create(context.instance_name);
    if (!controller_window) return std::unexpected(controller_window.error());
    if (auto registered = register_mouse_input(controller_window->handle()); !registered) return registered;

    const std::unique_ptr<WebLayer> web_layer = make_web_layer(join_path(context.data_folder, "webview-profile"));
    PlayerController controller(ControllerSetup{.data_folder = context.data_folder,
                                                .settings = settings,
                                                .controller_window = std::move(*controller_window),
                                                .publisher_key = context.publisher_key,
                                                .desktop_wanted = !context.options.preview && !context.source_folder,
                                                .startup = context.options.startup,
                                                .web_layer = *web_layer,
                                                .autostart = context.autostart});
    controller.reload_library();
    if (auto created = controller.create_control(!context.options.startup); !created) return created;
    controller.add_tray_icon();
    controller.register_session_notifications();
    controller.set_package_source(package_candidate(context, settings));
    if (context.source_folder) {
        controller.start_source(*context.source_folder);
    } else {
        controller.start_first_wallpaper(context.options.select_wallpaper);
    }
    if (!rejections.empty()) {
        controller.add_to_library_notice(std::to_string(rejections.size()) + " 个随附作品未能导入，详细原因见日志。");
    }
    controller.refresh_control();
    controller.start_tick_timer();
    controller.set_taskbar_created_message(::RegisterWindowMessageW(L"TaskbarCreated"));

    std::optional<SourceWatch> watch;
    if (context.source_folder) {
        auto watching = SourceWatch::watch(*context.source_folder);
        if (watching) {
            watch.emplace(std::move(*watching));
        } else {
            log_line("source watch unavailable: " + watching.error().chain());
        }
    }
    return run_message_loop(controller, watch ? &*watch : nullptr);
}

}  // namespace player
