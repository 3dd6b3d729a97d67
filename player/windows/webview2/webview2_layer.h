#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "player/windows/web_layer.h"
#include "player/windows/webview2/loader.h"

namespace player::webview2 {

// How long the runtime may take to start its browser for one build.
inline constexpr std::chrono::seconds kStartLimit{60};

// The WebView2 backend: the Evergreen runtime reached through WebView2Loader.dll beside
// the executable, with one browser profile for every build.
class WebView2Layer final : public WebLayer {
public:
    // user_data_folder: the browser profile; loader_folder: where WebView2Loader.dll lies.
    WebView2Layer(std::string user_data_folder, std::string loader_folder,
                  std::string browser_arguments = std::string(kBrowserArguments));

    core::Result<std::unique_ptr<WebView>> create(HWND parent, WebViewConfig config) override;

private:
    std::string user_data_folder_;
    std::string loader_folder_;
    std::string browser_arguments_;
    std::optional<Loader> loader_;
};

}  // namespace player::webview2
