#include "player/windows/webview2/loader.h"

#include "player/win32/system_error.h"

namespace player::webview2 {

core::Result<Loader> Loader::load(const std::wstring& folder) {
    const std::wstring path = folder + L"\\" + kLoaderFileName;
    Loader loader;
    loader.module_.reset(::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!loader.module_) return core::fail("cannot load WebView2Loader.dll", win32::failed_call("LoadLibraryExW"));
    const FARPROC symbol = ::GetProcAddress(loader.module_.get(), "CreateCoreWebView2EnvironmentWithOptions");
    if (symbol == nullptr) {
        return core::fail("WebView2Loader.dll lacks CreateCoreWebView2EnvironmentWithOptions", win32::failed_call("GetProcAddress"));
    }
    loader.create_environment = reinterpret_cast<decltype(&CreateCoreWebView2EnvironmentWithOptions)>(
        reinterpret_cast<void*>(symbol));
    return loader;
}

}  // namespace player::webview2
