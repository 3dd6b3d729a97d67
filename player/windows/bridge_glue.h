#pragma once

#include <windows.h>

#include <optional>
#include <string_view>

#include "core/content/wallpaper_item.h"
#include "core/web/asset_protocol.h"
#include "core/web/bridge_flags.h"
#include "core/web/player_state.h"
#include "core/web/state_push.h"
#include "player/windows/host_state.h"

namespace player {

// The asset protocol with its side effects: a refusal sets the failed flag, is logged and
// posts MSG_REFRESH_CONTROL to the controller window. range: the request's Range header.
core::AssetResponse serve_asset_request(std::string_view url, const core::WallpaperItem& wallpaper,
                                        core::BridgeFlags& flags, HWND controller_window, const LogFunction& log,
                                        std::string_view range = {});

// A request that cannot be answered with its asset (no memory for the copy, no stream for
// the answer): refused like any other, with the cause in the log line.
core::AssetResponse refuse_unanswered_asset(std::string_view url, std::string_view cause, core::BridgeFlags& flags,
                                            HWND controller_window, const LogFunction& log);

// The page-message handler: applies the message to the flags; when it counted, logs it
// and posts MSG_REFRESH_CONTROL.
void handle_page_message(std::string_view message, core::BridgeFlags& flags, HWND controller_window,
                         const LogFunction& log);

// Evaluates window.__tessaryDispatch(event, detail) in the page; does nothing without a
// WebView, and only logs "script: " and the error when the WebView refuses.
void dispatch_to_page(HostState& host, std::string_view event, std::string_view detail_json,
                      const LogFunction& log);

// The tick's readiness limit: after 15 seconds without "ready" the page is failed, the
// status text explains it and the timeout is logged.
void apply_readiness_limit(HostState& host, core::MonotonicTime now, const LogFunction& log);

// The tick's state push. Fills in ready, failed, host liveness and mounted from the host;
// the caller gives the pause reasons, the occlusion test and the frame rates. Returns the
// state pushed, after which the caller sets the tick timer to tick_interval(paused).
std::optional<core::PlayerState> push_player_state(HostState& host, core::StatePushInputs inputs,
                                                   const LogFunction& log);

}  // namespace player
