#pragma once

#include <string>
#include <string_view>

namespace core {

// The two events the player pushes into the page.
inline constexpr std::string_view kStateEvent = "state";
inline constexpr std::string_view kClickEvent = "click";

// "window.__tessaryDispatch(" + event as a JSON string + "," + detail + ");". The detail
// must already be compact JSON (player_state_json, click_detail_json).
std::string build_dispatch_script(std::string_view event, std::string_view detail_json);

// {"x":x,"y":y}: a click position as fractions of the host's client area.
std::string click_detail_json(double x, double y);

}  // namespace core
