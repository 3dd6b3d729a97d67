#pragma once

#include <WebView2.h>

#include <string>

#include "player/win32/com_ptr.h"

namespace player::webview2 {

// The browser version this program was built against (the SDK's own constant, which lives
// in a header that needs WRL).
inline constexpr wchar_t kTargetBrowserVersion[] = L"131.0.2903.40";

// The environment options object the loader reads: browser arguments, no language
// override, the SDK's target version, no single sign-on, the profile for this process
// alone and crash dumps kept on the machine.
win32::com_ptr<ICoreWebView2EnvironmentOptions> make_environment_options(std::wstring browser_arguments);

}  // namespace player::webview2
