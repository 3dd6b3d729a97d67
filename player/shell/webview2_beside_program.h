#pragma once

#include <memory>
#include <string>

#include "player/windows/web_layer.h"

namespace player {

// WebView2 through the loader DLL that ships beside the program, with the given browser
// profile folder.
std::unique_ptr<WebLayer> make_webview2_layer(const std::string& profile_folder);

}  // namespace player
