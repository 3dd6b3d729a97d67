#pragma once

// What a page can ask of the browser beyond its own files, which headless Chromium never
// reports over DevTools: opening another program through a protocol link, capturing the
// screen, a login, a client certificate, going on past a bad server certificate. A page
// asks for one by logging "standin ask WHAT URL"; the view raises the runtime's event
// with these arguments and records the host's decision (see the README for the reference).

#include <string>

#include "com.h"
#include "stubs.h"

namespace standin {

// The decision every one of these events carries: Cancel (and Handled, where the event
// has it) as the handlers left it.
template <class Stub>
class CancellableArgs : public Com<Stub> {
public:
    CancellableArgs(const IID& id, std::string uri) : Com<Stub>({id}), uri_(std::move(uri)) {}
    HRESULT STDMETHODCALLTYPE get_Cancel(BOOL* cancel) override {
        if (cancel == nullptr) return E_POINTER;
        *cancel = cancel_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_Cancel(BOOL cancel) override {
        cancel_ = cancel;
        return S_OK;
    }
    bool cancelled() const { return cancel_ != FALSE; }

protected:
    std::string uri_;
    BOOL cancel_ = FALSE;
};

class LaunchArgs final : public CancellableArgs<ICoreWebView2LaunchingExternalUriSchemeEventArgsStub> {
public:
    explicit LaunchArgs(std::string uri)
        : CancellableArgs(IID_ICoreWebView2LaunchingExternalUriSchemeEventArgs, std::move(uri)) {}
    HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* value) override { return copy_text(to_wide(uri_), value); }
    HRESULT STDMETHODCALLTYPE get_InitiatingOrigin(LPWSTR* value) override {
        return copy_text(L"http://wlp.localhost", value);
    }
    HRESULT STDMETHODCALLTYPE get_IsUserInitiated(BOOL* value) override {
        if (value == nullptr) return E_POINTER;
        *value = TRUE;
        return S_OK;
    }
};

class CaptureArgs final : public CancellableArgs<ICoreWebView2ScreenCaptureStartingEventArgsStub> {
public:
    explicit CaptureArgs(std::string uri)
        : CancellableArgs(IID_ICoreWebView2ScreenCaptureStartingEventArgs, std::move(uri)) {}
    HRESULT STDMETHODCALLTYPE get_Handled(BOOL* value) override {
        if (value == nullptr) return E_POINTER;
        *value = handled_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_Handled(BOOL value) override {
        handled_ = value;
        return S_OK;
    }

private:
    BOOL handled_ = FALSE;
};

class LoginArgs final : public CancellableArgs<ICoreWebView2BasicAuthenticationRequestedEventArgsStub> {
public:
    explicit LoginArgs(std::string uri)
        : CancellableArgs(IID_ICoreWebView2BasicAuthenticationRequestedEventArgs, std::move(uri)) {}
    HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* value) override { return copy_text(to_wide(uri_), value); }
    HRESULT STDMETHODCALLTYPE get_Challenge(LPWSTR* value) override { return copy_text(L"Basic realm=\"x\"", value); }
};

class ClientCertificateArgs final : public CancellableArgs<ICoreWebView2ClientCertificateRequestedEventArgsStub> {
public:
    explicit ClientCertificateArgs(std::string host)
        : CancellableArgs(IID_ICoreWebView2ClientCertificateRequestedEventArgs, std::move(host)) {}
    HRESULT STDMETHODCALLTYPE get_Host(LPWSTR* value) override { return copy_text(to_wide(uri_), value); }
    HRESULT STDMETHODCALLTYPE get_Port(int* value) override {
        if (value == nullptr) return E_POINTER;
        *value = 443;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_IsProxy(BOOL* value) override {
        if (value == nullptr) return E_POINTER;
        *value = FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Handled(BOOL* value) override {
        if (value == nullptr) return E_POINTER;
        *value = handled_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_Handled(BOOL value) override {
        handled_ = value;
        return S_OK;
    }

private:
    BOOL handled_ = FALSE;
};

class ServerCertificateArgs final : public Com<ICoreWebView2ServerCertificateErrorDetectedEventArgsStub> {
public:
    explicit ServerCertificateArgs(std::string uri)
        : Com({IID_ICoreWebView2ServerCertificateErrorDetectedEventArgs}), uri_(std::move(uri)) {}
    HRESULT STDMETHODCALLTYPE get_ErrorStatus(COREWEBVIEW2_WEB_ERROR_STATUS* value) override {
        if (value == nullptr) return E_POINTER;
        *value = COREWEBVIEW2_WEB_ERROR_STATUS_CERTIFICATE_IS_INVALID;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_RequestUri(LPWSTR* value) override { return copy_text(to_wide(uri_), value); }
    HRESULT STDMETHODCALLTYPE get_Action(COREWEBVIEW2_SERVER_CERTIFICATE_ERROR_ACTION* value) override {
        if (value == nullptr) return E_POINTER;
        *value = action_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_Action(COREWEBVIEW2_SERVER_CERTIFICATE_ERROR_ACTION value) override {
        action_ = value;
        return S_OK;
    }
    bool cancelled() const { return action_ == COREWEBVIEW2_SERVER_CERTIFICATE_ERROR_ACTION_CANCEL; }

private:
    std::string uri_;
    // Without a handler's word the runtime shows its error page, which the user may pass.
    COREWEBVIEW2_SERVER_CERTIFICATE_ERROR_ACTION action_ = COREWEBVIEW2_SERVER_CERTIFICATE_ERROR_ACTION_DEFAULT;
};

}  // namespace standin
