#pragma once

#include <WebView2.h>

#include <functional>
#include <memory>
#include <string_view>

#include "player/win32/com_ptr.h"
#include "player/windows/web_layer.h"

namespace player::webview2 {

// Writes a line about the runtime to the player's log, each text once in the layer's life.
using NoteOnce = std::function<void(std::string_view line)>;

// Applies every setting, handler and script of the configuration to a freshly created
// controller, mutes it and starts the navigation. Dropping the result closes the browser.
// forget_environment runs when the browser process exits, which ends the environment.
core::Result<std::unique_ptr<WebView>> configure_webview(HWND parent,
                                                        win32::com_ptr<ICoreWebView2Environment> environment,
                                                        win32::com_ptr<ICoreWebView2Controller> controller,
                                                        WebViewConfig config, const NoteOnce& note,
                                                        std::function<void()> forget_environment = {});

}  // namespace player::webview2
