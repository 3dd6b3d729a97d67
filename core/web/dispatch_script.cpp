#include "core/web/dispatch_script.h"

#include "core/json/json_writer.h"

namespace core {

std::string build_dispatch_script(std::string_view event, std::string_view detail_json) {
    std::string script = "window.__tessaryDispatch(";
    script += json_quote(event);
    script += ',';
    script += detail_json;
    script += ");";
    return script;
}

std::string click_detail_json(double x, double y) {
    JsonWriter writer(JsonStyle::compact);
    writer.begin_object();
    writer.key("x").number(x);
    writer.key("y").number(y);
    writer.end_object();
    return writer.text();
}

}  // namespace core
