#include "player/windows/bridge_glue.h"

#include <new>

#include "core/web/dispatch_script.h"
#include "core/web/page_message.h"
#include "player/events/controller_event.h"
#include "player/win32/system_error.h"

namespace player {
namespace {

constexpr std::string_view kSecureAssetScheme = "https:";

// A posted message, never a call: the controller must not be re-entered from inside a
// WebView callback. One notice at a time: the controller refreshes from the flags, so a
// second notice before it got to the first would change nothing.
void notify_controller(HWND controller_window, core::BridgeFlags& flags, const LogFunction& log) {
    if (controller_window == nullptr || flags.refresh_posted.exchange(true)) return;
    if (!::PostMessageW(controller_window, MSG_REFRESH_CONTROL, 0, 0)) {
        flags.refresh_posted.store(false);
        if (log) log("cannot notify the controller: " + win32::failed_call("PostMessageW").message());
    }
}

void write(const LogFunction& log, std::string_view line) {
    if (log) log(line);
}

// A line the page caused, within the page's budget.
void write_for_page(const LogFunction& log, core::BridgeFlags& flags, std::string_view line) {
    const unsigned written = flags.page_log_lines.fetch_add(1);
    if (written < core::kPageLogLineLimit) {
        write(log, line);
    } else if (written == core::kPageLogLineLimit) {
        write(log, "wallpaper page keeps failing or messaging; further lines about it are not logged");
    }
}

// The refusal's side effects: the page counts as failed, the log says why, and the
// controller hears of it.
core::AssetResponse notice_refusal(core::AssetResponse response, core::BridgeFlags& flags, HWND controller_window,
                                   const LogFunction& log) {
    if (response.refusal) {
        flags.failed.store(true);
        write_for_page(log, flags, response.refusal->log_line);
        notify_controller(controller_window, flags, log);
    }
    return response;
}

}  // namespace

core::AssetResponse serve_asset_request(std::string_view url, const core::WallpaperItem& wallpaper,
                                        core::BridgeFlags& flags, HWND controller_window, const LogFunction& log,
                                        std::string_view range) {
    core::AssetResponse response;
    if (url.starts_with(kSecureAssetScheme)) {
        // The same host under https would be a second origin with the wallpaper's files.
        response = core::refuse_asset_request(url);
    } else {
        try {
            response = core::handle_asset_request(url, wallpaper.assets, range);
        } catch (const std::bad_alloc&) {
            // No memory for the copy of a large asset: the page misses it like any other.
            return refuse_unanswered_asset(url, "out of memory for a copy of the asset", flags, controller_window, log);
        }
    }
    return notice_refusal(std::move(response), flags, controller_window, log);
}

core::AssetResponse refuse_unanswered_asset(std::string_view url, std::string_view cause, core::BridgeFlags& flags,
                                            HWND controller_window, const LogFunction& log) {
    return notice_refusal(core::refuse_asset_request(url, cause), flags, controller_window, log);
}

void handle_page_message(std::string_view message, core::BridgeFlags& flags, HWND controller_window,
                         const LogFunction& log) {
    const auto line = core::apply_page_message(message, flags);
    if (!line) return;
    if (message == core::kReadyMessage) flags.state_wanted.store(true);
    write_for_page(log, flags, *line);
    notify_controller(controller_window, flags, log);
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
    const core::LastPushedState before = host.last_pushed;
    const bool wanted = host.flags->state_wanted.exchange(false);
    if (wanted) host.last_pushed.reset();
    inputs.ready = host.flags->ready.load();
    inputs.failed = host.flags->failed.load();
    inputs.host_is_window = host.window && ::IsWindow(host.window.get());
    inputs.mounted = host.mounted;
    const auto state = core::decide_state_push(inputs, host.last_pushed);
    if (!state) return std::nullopt;
    core::LastPushedState now;
    core::record_push(now, *state);
    // The same state again only because the page asked: the page pays for that line.
    if (wanted && now == before) {
        write_for_page(log, *host.flags, core::state_push_log_line(*state));
    } else {
        write(log, core::state_push_log_line(*state));
    }
    dispatch_to_page(host, core::kStateEvent, core::player_state_json(*state), log);
    core::record_push(host.last_pushed, *state);
    return state;
}

}  // namespace player
