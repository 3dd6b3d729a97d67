#pragma once

#include <WebView2.h>

#include <string>

#include "player/win32/com_ptr.h"

namespace player::webview2 {

// The browser version this program was built against (the SDK's own constant, which lives
// in a header that needs WRL).
inline constexpr wchar_t kTargetBrowserVersion[] = L"131.0.2903.40";

// The environment options object the loader reads: browser arguments, no language
// override, the SDK's target version and no single sign-on.
win32::com_ptr<ICoreWebView2EnvironmentOptions> make_environment_options(std::wstring browser_arguments);

}  // namespace player::webview2
