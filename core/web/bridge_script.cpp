#include "core/web/bridge_script.h"

namespace core {

std::string main_frame_only(std::string_view script) {
    std::string guarded = "if (window === window.top) {\n";
    guarded += script;
    guarded += "\n}\n";
    return guarded;
}

}  // namespace core
