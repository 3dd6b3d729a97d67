#pragma once

#include <cstdint>
#include <string>

namespace core {

// What the page is told about playback.
struct PlayerState {
    std::uint32_t fps = 30;
    bool paused = false;
    // Wallpapers play muted; the member exists for pages that read it.
    std::uint32_t volume = 0;

    bool operator==(const PlayerState&) const = default;
};

// Compact JSON with the members in key order: {"fps":30,"paused":false,"volume":0}.
std::string player_state_json(const PlayerState& state);

}  // namespace core
