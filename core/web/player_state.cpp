#include "core/web/player_state.h"

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

namespace core {

std::string player_state_json(const PlayerState& state) {
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    writer.StartObject();
    writer.Key("fps");
    writer.Uint(state.fps);
    writer.Key("paused");
    writer.Bool(state.paused);
    writer.Key("volume");
    writer.Uint(state.volume);
    writer.EndObject();
    return std::string(buffer.GetString(), buffer.GetSize());
}

}  // namespace core
