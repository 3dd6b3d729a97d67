#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "player/windows/web_layer.h"
#include "player/win32/com_ptr.h"
#include "player/windows/webview2/loader.h"

namespace player::webview2 {

// How long the runtime may take to start its browser for one build.
inline constexpr std::chrono::seconds kStartLimit{60};

// The WebView2 backend: the Evergreen runtime reached through WebView2Loader.dll beside
// the executable, with one browser environment and profile for every build.
class WebView2Layer final : public WebLayer {
public:
    // user_data_folder: the browser profile; loader_folder: where WebView2Loader.dll lies.
    WebView2Layer(std::string user_data_folder, std::string loader_folder,
                  std::string browser_arguments = std::string(kBrowserArguments));

    core::Result<std::unique_ptr<WebView>> create(HWND parent, WebViewConfig config) override;

private:
    // Reads the runtime's policy values first, and refuses one that adds browser arguments.
    core::Result<win32::com_ptr<ICoreWebView2Environment>> environment(const std::function<void(std::string_view)>& log);

    std::string user_data_folder_;
    std::string loader_folder_;
    std::string browser_arguments_;
    std::optional<Loader> loader_;
    // The one browser environment of the player's life, created by the first build that
    // needs it; shared with the views, which drop it when the browser process exits.
    std::shared_ptr<win32::com_ptr<ICoreWebView2Environment>> environment_ =
        std::make_shared<win32::com_ptr<ICoreWebView2Environment>>();
    // The lines about missing runtime features already written.
    std::shared_ptr<std::set<std::string>> noted_ = std::make_shared<std::set<std::string>>();
};

}  // namespace player::webview2
