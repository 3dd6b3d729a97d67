#include "core/web/dispatch_script.h"

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

namespace core {

std::string build_dispatch_script(std::string_view event, std::string_view detail_json) {
    rapidjson::StringBuffer name;
    rapidjson::Writer<rapidjson::StringBuffer> writer(name);
    writer.String(event.data(), static_cast<rapidjson::SizeType>(event.size()));

    std::string script = "window.__tessaryDispatch(";
    script.append(name.GetString(), name.GetSize());
    script += ',';
    script += detail_json;
    script += ");";
    return script;
}

std::string click_detail_json(double x, double y) {
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    writer.StartObject();
    writer.Key("x");
    writer.Double(x);
    writer.Key("y");
    writer.Double(y);
    writer.EndObject();
    return std::string(buffer.GetString(), buffer.GetSize());
}

}  // namespace core
