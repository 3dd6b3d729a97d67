#include "core/web/state_push.h"

#include "core/content/frame_rate.h"

namespace core {
namespace {

constexpr std::uint32_t kDefaultFps = kLowFrameRate;

}  // namespace

std::uint32_t playback_fps(std::uint32_t settings_fps, std::optional<std::uint32_t> manifest_fps) {
    if (is_supported_fps(settings_fps)) return settings_fps;
    return manifest_fps.value_or(kDefaultFps);
}

std::optional<PlayerState> decide_state_push(const StatePushInputs& inputs, const LastPushedState& last) {
    if (!inputs.ready || inputs.failed || !inputs.host_is_window) return std::nullopt;
    bool paused = inputs.any_pause_reason;
    if (!paused && inputs.mounted && inputs.desktop_covered) paused = inputs.desktop_covered();
    const PlayerState state{.fps = playback_fps(inputs.settings_fps, inputs.manifest_fps), .paused = paused};
    if (last.paused == state.paused && last.fps == state.fps) return std::nullopt;
    return state;
}

void record_push(LastPushedState& last, const PlayerState& pushed) {
    last.paused = pushed.paused;
    last.fps = pushed.fps;
}

std::string state_push_log_line(const PlayerState& state) {
    std::string line = "state paused=";
    line += state.paused ? "true" : "false";
    line += " fps=";
    line += std::to_string(state.fps);
    return line;
}

std::chrono::milliseconds tick_interval(bool paused) {
    return paused ? kPausedTickInterval : kPlayingTickInterval;
}

}  // namespace core
