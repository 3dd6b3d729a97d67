#pragma once

#include <WebView2.h>

#include <string>

#include "core/error/error.h"
#include "player/win32/unique_resource.h"

namespace player::webview2 {

inline constexpr wchar_t kLoaderFileName[] = L"WebView2Loader.dll";

// WebView2Loader.dll from beside the executable, with the one function this program
// calls, resolved once. Never taken from the search path: a planted DLL must not load.
class Loader {
public:
    static core::Result<Loader> load(const std::wstring& folder);

    decltype(&CreateCoreWebView2EnvironmentWithOptions) create_environment = nullptr;

private:
    win32::unique_module module_;
};

}  // namespace player::webview2
