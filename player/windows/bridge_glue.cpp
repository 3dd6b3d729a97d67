#include "player/windows/bridge_glue.h"

#include <new>

#include "core/web/dispatch_script.h"
#include "core/web/page_message.h"
#include "player/shell/controller_event.h"

namespace player {
namespace {

constexpr std::string_view kSecureAssetScheme = "https:";

// A posted message, never a call: the controller must not be re-entered from inside a
// WebView callback.
void notify_controller(HWND controller_window, const LogFunction& log) {
    if (controller_window == nullptr) return;
    if (!::PostMessageW(controller_window, MSG_REFRESH_CONTROL, 0, 0) && log) {
        log("cannot notify the controller: " + std::to_string(::GetLastError()));
    }
}

void write(const LogFunction& log, std::string_view line) {
    if (log) log(line);
}

}  // namespace

core::AssetResponse serve_asset_request(std::string_view url, const core::WallpaperItem& wallpaper,
                                        core::BridgeFlags& flags, HWND controller_window, const LogFunction& log) {
    core::AssetResponse response;
    if (url.starts_with(kSecureAssetScheme)) {
        // The same host under https would be a second origin with the wallpaper's files.
        response = core::refuse_asset_request(url);
    } else {
        try {
            response = core::handle_asset_request(url, wallpaper.assets);
        } catch (const std::bad_alloc&) {
            // No memory for the copy of a large asset: the page misses it like any other.
            response = core::refuse_asset_request(url);
        }
    }
    if (response.refusal) {
        flags.failed.store(true);
        write(log, response.refusal->log_line);
        notify_controller(controller_window, log);
    }
    return response;
}

void handle_page_message(std::string_view message, core::BridgeFlags& flags, HWND controller_window,
                         const LogFunction& log) {
    const auto line = core::apply_page_message(message, flags);
    if (!line) return;
    write(log, *line);
    notify_controller(controller_window, log);
}

void dispatch_to_page(HostState& host, std::string_view event, std::string_view detail_json,
                      const LogFunction& log) {
    if (!host.webview) return;
    if (auto run = host.webview->execute_script(core::build_dispatch_script(event, detail_json)); !run) {
        write(log, "script: " + run.error().chain());
    }
}

void apply_readiness_limit(HostState& host, core::MonotonicTime now, const LogFunction& log) {
    if (!core::check_readiness_limit(host.load_start, *host.flags, now)) return;
    host.status_text = std::string(core::kReadinessTimeoutStatus);
    write(log, core::kReadinessTimeoutLog);
}

std::optional<core::PlayerState> push_player_state(HostState& host, core::StatePushInputs inputs,
                                                   const LogFunction& log) {
    inputs.ready = host.flags->ready.load();
    inputs.failed = host.flags->failed.load();
    inputs.host_is_window = host.window && ::IsWindow(host.window.get());
    inputs.mounted = host.mounted;
    const auto state = core::decide_state_push(inputs, host.last_pushed);
    if (!state) return std::nullopt;
    write(log, core::state_push_log_line(*state));
    dispatch_to_page(host, core::kStateEvent, core::player_state_json(*state), log);
    core::record_push(host.last_pushed, *state);
    return state;
}

}  // namespace player
