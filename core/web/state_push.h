#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/web/player_state.h"

namespace core {

inline constexpr std::chrono::milliseconds kPlayingTickInterval{33};
inline constexpr std::chrono::milliseconds kPausedTickInterval{500};

// The pair last sent to the page. Reset whenever the host is rebuilt and whenever the
// user toggles pause, so that the next push always goes out.
struct LastPushedState {
    std::optional<bool> paused;
    std::uint32_t fps = 0;

    void reset() { *this = LastPushedState{}; }
    bool operator==(const LastPushedState&) const = default;
};

// What one tick knows when it decides whether to push the state.
struct StatePushInputs {
    bool ready = false;
    bool failed = false;
    bool host_is_window = false;
    // User pause, display off, session locked, suspended.
    bool any_pause_reason = false;
    bool mounted = false;
    // The occlusion test; asked only while mounted and no pause reason holds.
    std::function<bool()> desktop_covered;
    std::uint32_t settings_fps = 0;
    // The playing wallpaper's manifest frame rate; none when no wallpaper is selected.
    std::optional<std::uint32_t> manifest_fps;
};

// The frame rate the page is told: settings when 30 or 60, else the manifest's, else 30.
std::uint32_t playback_fps(std::uint32_t settings_fps, std::optional<std::uint32_t> manifest_fps);

// The state to push now, or none: only to a ready, unfailed page in a live host, and only
// when the pair (paused, fps) differs from the last one pushed. After pushing, the caller
// logs state_push_log_line, dispatches "state", stores the pair with record_push and sets
// the tick timer to tick_interval(paused).
std::optional<PlayerState> decide_state_push(const StatePushInputs& inputs, const LastPushedState& last);

void record_push(LastPushedState& last, const PlayerState& pushed);

// "state paused=true fps=30"
std::string state_push_log_line(const PlayerState& state);

std::chrono::milliseconds tick_interval(bool paused);

}  // namespace core
