#pragma once

// What a page can ask of the browser beyond its own files, which headless Chromium never
// reports over DevTools: opening another program through a protocol link, capturing the
// screen, a login, a client certificate, going on past a bad server certificate. A page
// asks for one by logging "standin ask WHAT URI"; the view raises the runtime's event
// with these arguments and records the host's decision (see the README for the reference).

#include <string>

#include "com.h"
#include "stubs.h"

namespace standin {

#define STANDIN_FLAG(name)                                             \
    HRESULT STDMETHODCALLTYPE get_##name(BOOL* value) override {       \
        return value == nullptr ? E_POINTER : (*value = name##_, S_OK); \
    }                                                                  \
    HRESULT STDMETHODCALLTYPE put_##name(BOOL value) override {        \
        name##_ = value;                                               \
        return S_OK;                                                   \
    }                                                                  \
    BOOL name##_ = FALSE;
#define STANDIN_URI(getter)                                                                             \
    HRESULT STDMETHODCALLTYPE getter(LPWSTR* value) override { return copy_text(to_wide(uri_), value); }

// One event's arguments: the URI (or host) asked for, and the decision the handlers left.
template <class Stub>
class OutsideArgs : public Com<Stub> {
public:
    OutsideArgs(const IID& id, std::string uri) : Com<Stub>({id}), uri_(std::move(uri)) {}

protected:
    std::string uri_;
};

struct LaunchArgs final : OutsideArgs<ICoreWebView2LaunchingExternalUriSchemeEventArgsStub> {
    explicit LaunchArgs(std::string uri) : OutsideArgs(IID_ICoreWebView2LaunchingExternalUriSchemeEventArgs, uri) {}
    STANDIN_URI(get_Uri)
    STANDIN_FLAG(Cancel)
    bool cancelled() const { return Cancel_; }
};

struct CaptureArgs final : OutsideArgs<ICoreWebView2ScreenCaptureStartingEventArgsStub> {
    explicit CaptureArgs(std::string uri) : OutsideArgs(IID_ICoreWebView2ScreenCaptureStartingEventArgs, uri) {}
    STANDIN_FLAG(Cancel)
    STANDIN_FLAG(Handled)
    bool cancelled() const { return Cancel_; }
};

struct LoginArgs final : OutsideArgs<ICoreWebView2BasicAuthenticationRequestedEventArgsStub> {
    explicit LoginArgs(std::string uri) : OutsideArgs(IID_ICoreWebView2BasicAuthenticationRequestedEventArgs, uri) {}
    STANDIN_URI(get_Uri)
    STANDIN_FLAG(Cancel)
    bool cancelled() const { return Cancel_; }
};

struct ClientCertificateArgs final : OutsideArgs<ICoreWebView2ClientCertificateRequestedEventArgsStub> {
    explicit ClientCertificateArgs(std::string host)
        : OutsideArgs(IID_ICoreWebView2ClientCertificateRequestedEventArgs, host) {}
    STANDIN_URI(get_Host)
    STANDIN_FLAG(Cancel)
    STANDIN_FLAG(Handled)
    bool cancelled() const { return Cancel_; }
};

struct ServerCertificateArgs final : OutsideArgs<ICoreWebView2ServerCertificateErrorDetectedEventArgsStub> {
    explicit ServerCertificateArgs(std::string uri)
        : OutsideArgs(IID_ICoreWebView2ServerCertificateErrorDetectedEventArgs, uri) {}
    STANDIN_URI(get_RequestUri)
    HRESULT STDMETHODCALLTYPE get_Action(COREWEBVIEW2_SERVER_CERTIFICATE_ERROR_ACTION* value) override {
        return value == nullptr ? E_POINTER : (*value = action_, S_OK);
    }
    HRESULT STDMETHODCALLTYPE put_Action(COREWEBVIEW2_SERVER_CERTIFICATE_ERROR_ACTION value) override {
        action_ = value;
        return S_OK;
    }
    bool cancelled() const { return action_ == COREWEBVIEW2_SERVER_CERTIFICATE_ERROR_ACTION_CANCEL; }
    // Without a handler's word the runtime shows its error page, which the user may pass.
    COREWEBVIEW2_SERVER_CERTIFICATE_ERROR_ACTION action_ = COREWEBVIEW2_SERVER_CERTIFICATE_ERROR_ACTION_DEFAULT;
};

#undef STANDIN_FLAG
#undef STANDIN_URI

}  // namespace standin
