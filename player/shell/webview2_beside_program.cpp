#include "player/shell/webview2_beside_program.h"

#include "player/library/paths.h"
#include "player/shell/exe_path.h"
#include "player/windows/webview2/webview2_layer.h"

namespace player {

std::unique_ptr<WebLayer> make_webview2_layer(const std::string& profile_folder) {
    const std::string program = executable_path().value_or(std::string());
    const std::string program_folder = parent_path(program).value_or(std::string());
    return std::make_unique<webview2::WebView2Layer>(profile_folder, program_folder);
}

}  // namespace player
