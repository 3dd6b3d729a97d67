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

// Deleted only by its own Release (see com_object.h).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// The newer options are interfaces of their own, reached through QueryInterface; a runtime
// that knows them reads them, an older one does not ask.
class EnvironmentOptions final
    : public ComObject<ICoreWebView2EnvironmentOptions, IID_ICoreWebView2EnvironmentOptions>,
      public ICoreWebView2EnvironmentOptions2,
      public ICoreWebView2EnvironmentOptions3 {
    using Base = ComObject<ICoreWebView2EnvironmentOptions, IID_ICoreWebView2EnvironmentOptions>;

public:
    explicit EnvironmentOptions(std::wstring arguments) : arguments_(std::move(arguments)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        if (IsEqualIID(iid, IID_ICoreWebView2EnvironmentOptions2)) {
            *object = static_cast<ICoreWebView2EnvironmentOptions2*>(this);
        } else if (IsEqualIID(iid, IID_ICoreWebView2EnvironmentOptions3)) {
            *object = static_cast<ICoreWebView2EnvironmentOptions3*>(this);
        } else {
            return Base::QueryInterface(iid, object);
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return Base::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return Base::Release(); }

    // No other process may open this profile and share its browser, with options of its own.
    HRESULT STDMETHODCALLTYPE get_ExclusiveUserDataFolderAccess(BOOL* value) override {
        return copy_flag(exclusive_, value);
    }
    HRESULT STDMETHODCALLTYPE put_ExclusiveUserDataFolderAccess(BOOL value) override {
        exclusive_ = value;
        return S_OK;
    }
    // Crash dumps stay in the profile instead of going to Microsoft.
    HRESULT STDMETHODCALLTYPE get_IsCustomCrashReportingEnabled(BOOL* value) override {
        return copy_flag(custom_crash_reporting_, value);
    }
    HRESULT STDMETHODCALLTYPE put_IsCustomCrashReportingEnabled(BOOL value) override {
        custom_crash_reporting_ = value;
        return S_OK;
    }

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
        return copy_flag(single_sign_on_, allow);
    }
    HRESULT STDMETHODCALLTYPE put_AllowSingleSignOnUsingOSPrimaryAccount(BOOL allow) override {
        single_sign_on_ = allow;
        return S_OK;
    }

private:
    static HRESULT copy_flag(BOOL flag, BOOL* value) {
        if (value == nullptr) return E_POINTER;
        *value = flag;
        return S_OK;
    }
    static HRESULT assign(std::wstring& field, LPCWSTR value) {
        field = value == nullptr ? std::wstring() : std::wstring(value);
        return S_OK;
    }

    std::wstring arguments_;
    std::wstring language_;
    std::wstring target_version_ = kTargetBrowserVersion;
    BOOL single_sign_on_ = FALSE;
    BOOL exclusive_ = TRUE;
    BOOL custom_crash_reporting_ = TRUE;
};

#pragma GCC diagnostic pop

}  // namespace

win32::com_ptr<ICoreWebView2EnvironmentOptions> make_environment_options(std::wstring browser_arguments) {
    return make_com<EnvironmentOptions, ICoreWebView2EnvironmentOptions>(std::move(browser_arguments));
}

}  // namespace player::webview2
