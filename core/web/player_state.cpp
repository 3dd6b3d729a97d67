#include "core/web/player_state.h"

#include "core/json/json_writer.h"

namespace core {

std::string player_state_json(const PlayerState& state) {
    JsonWriter writer(JsonStyle::compact);
    writer.begin_object();
    writer.key("fps").uint(state.fps);
    writer.key("paused").boolean(state.paused);
    writer.key("volume").uint(state.volume);
    writer.end_object();
    return writer.text();
}

}  // namespace core
