#include "player/windows/webview2/environment_options.h"

#include <objbase.h>

#include <cwchar>

#include "player/windows/webview2/com_object.h"

namespace player::webview2 {
namespace {

// The caller of a getter frees the text with CoTaskMemFree.
HRESULT copy_out(const std::wstring& text, LPWSTR* value) {
    if (value == nullptr) return E_POINTER;
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    auto* copy = static_cast<wchar_t*>(::CoTaskMemAlloc(bytes));
    if (copy == nullptr) return E_OUTOFMEMORY;
    std::wmemcpy(copy, text.c_str(), text.size() + 1);
    *value = copy;
    return S_OK;
}

class EnvironmentOptions final
    : public ComObject<ICoreWebView2EnvironmentOptions, IID_ICoreWebView2EnvironmentOptions> {
public:
    explicit EnvironmentOptions(std::wstring arguments) : arguments_(std::move(arguments)) {}

    HRESULT STDMETHODCALLTYPE get_AdditionalBrowserArguments(LPWSTR* value) override {
        return copy_out(arguments_, value);
    }
    HRESULT STDMETHODCALLTYPE put_AdditionalBrowserArguments(LPCWSTR value) override {
        return assign(arguments_, value);
    }
    HRESULT STDMETHODCALLTYPE get_Language(LPWSTR* value) override { return copy_out(language_, value); }
    HRESULT STDMETHODCALLTYPE put_Language(LPCWSTR value) override { return assign(language_, value); }
    HRESULT STDMETHODCALLTYPE get_TargetCompatibleBrowserVersion(LPWSTR* value) override {
        return copy_out(target_version_, value);
    }
    HRESULT STDMETHODCALLTYPE put_TargetCompatibleBrowserVersion(LPCWSTR value) override {
        return assign(target_version_, value);
    }
    HRESULT STDMETHODCALLTYPE get_AllowSingleSignOnUsingOSPrimaryAccount(BOOL* allow) override {
        if (allow == nullptr) return E_POINTER;
        *allow = single_sign_on_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_AllowSingleSignOnUsingOSPrimaryAccount(BOOL allow) override {
        single_sign_on_ = allow;
        return S_OK;
    }

private:
    static HRESULT assign(std::wstring& field, LPCWSTR value) {
        field = value == nullptr ? std::wstring() : std::wstring(value);
        return S_OK;
    }

    std::wstring arguments_;
    std::wstring language_;
    std::wstring target_version_ = kTargetBrowserVersion;
    BOOL single_sign_on_ = FALSE;
};

}  // namespace

win32::com_ptr<ICoreWebView2EnvironmentOptions> make_environment_options(std::wstring browser_arguments) {
    return make_com<EnvironmentOptions, ICoreWebView2EnvironmentOptions>(std::move(browser_arguments));
}

}  // namespace player::webview2
