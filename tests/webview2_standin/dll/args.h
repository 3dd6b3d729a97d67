#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "com.h"
#include "stubs.h"

namespace standin {

using Headers = std::vector<std::pair<std::string, std::string>>;

// Completes a deferred event: the runtime finishes the event only then.
class Deferral final : public Com<ICoreWebView2DeferralStub> {
public:
    explicit Deferral(std::function<void()> complete)
        : Com({IID_ICoreWebView2Deferral}), complete_(std::move(complete)) {}
    HRESULT STDMETHODCALLTYPE Complete() override;

private:
    std::function<void()> complete_;
};

// Deferral bookkeeping shared by the event args: the event finishes when its handlers
// returned and every deferral taken was completed.
class Deferrable {
public:
    HRESULT take(ICoreWebView2Deferral** out, std::function<void()> on_all_complete);
    bool pending() const { return outstanding_ > 0; }

private:
    int outstanding_ = 0;
};

class RequestHeaders final : public Com<ICoreWebView2HttpRequestHeadersStub> {
public:
    explicit RequestHeaders(Headers headers) : Com({IID_ICoreWebView2HttpRequestHeaders}), headers_(std::move(headers)) {}
    HRESULT STDMETHODCALLTYPE GetHeader(LPCWSTR name, LPWSTR* value) override;
    HRESULT STDMETHODCALLTYPE Contains(LPCWSTR name, BOOL* contains) override;
    HRESULT STDMETHODCALLTYPE SetHeader(LPCWSTR name, LPCWSTR value) override;
    HRESULT STDMETHODCALLTYPE RemoveHeader(LPCWSTR name) override;

private:
    Headers headers_;
};

class ResponseHeaders final : public Com<ICoreWebView2HttpResponseHeadersStub> {
public:
    ResponseHeaders() : Com({IID_ICoreWebView2HttpResponseHeaders}) {}
    HRESULT STDMETHODCALLTYPE AppendHeader(LPCWSTR name, LPCWSTR value) override;
    HRESULT STDMETHODCALLTYPE Contains(LPCWSTR name, BOOL* contains) override;
    HRESULT STDMETHODCALLTYPE GetHeader(LPCWSTR name, LPWSTR* value) override;
    const Headers& list() const { return headers_; }
    Headers headers_;
};

class Request final : public Com<ICoreWebView2WebResourceRequestStub> {
public:
    Request(std::string uri, std::string method, Headers headers);
    HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) override { return copy_text(to_wide(uri_), uri); }
    HRESULT STDMETHODCALLTYPE put_Uri(LPCWSTR uri) override;
    HRESULT STDMETHODCALLTYPE get_Method(LPWSTR* method) override { return copy_text(to_wide(method_), method); }
    HRESULT STDMETHODCALLTYPE put_Method(LPCWSTR method) override;
    HRESULT STDMETHODCALLTYPE get_Content(IStream** content) override;
    HRESULT STDMETHODCALLTYPE get_Headers(ICoreWebView2HttpRequestHeaders** headers) override {
        return headers_.copy_to(headers);
    }

private:
    std::string uri_;
    std::string method_;
    Ref<ICoreWebView2HttpRequestHeaders> headers_;
};

class Response final : public Com<ICoreWebView2WebResourceResponseStub> {
public:
    Response(IStream* content, int status, std::wstring reason, const std::wstring& headers);
    HRESULT STDMETHODCALLTYPE get_Content(IStream** content) override { return content_.copy_to(content); }
    HRESULT STDMETHODCALLTYPE put_Content(IStream* content) override;
    HRESULT STDMETHODCALLTYPE get_Headers(ICoreWebView2HttpResponseHeaders** headers) override;
    HRESULT STDMETHODCALLTYPE get_StatusCode(int* status) override;
    HRESULT STDMETHODCALLTYPE put_StatusCode(int status) override;
    HRESULT STDMETHODCALLTYPE get_ReasonPhrase(LPWSTR* reason) override { return copy_text(reason_, reason); }
    HRESULT STDMETHODCALLTYPE put_ReasonPhrase(LPCWSTR reason) override;

    int status() const { return status_; }
    const std::wstring& reason() const { return reason_; }
    const Headers& headers() const { return headers_->list(); }
    // The whole content, read from its start.
    std::string body() const;

private:
    Ref<IStream> content_;
    int status_;
    std::wstring reason_;
    Ref<ResponseHeaders> headers_;
};

class ResourceRequestedArgs final : public Com<ICoreWebView2WebResourceRequestedEventArgsStub>, public Deferrable {
public:
    ResourceRequestedArgs(Ref<ICoreWebView2WebResourceRequest> request, COREWEBVIEW2_WEB_RESOURCE_CONTEXT context)
        : Com({IID_ICoreWebView2WebResourceRequestedEventArgs}), request_(std::move(request)), context_(context) {}
    HRESULT STDMETHODCALLTYPE get_Request(ICoreWebView2WebResourceRequest** request) override {
        return request_.copy_to(request);
    }
    HRESULT STDMETHODCALLTYPE get_Response(ICoreWebView2WebResourceResponse** response) override;
    HRESULT STDMETHODCALLTYPE put_Response(ICoreWebView2WebResourceResponse* response) override;
    HRESULT STDMETHODCALLTYPE GetDeferral(ICoreWebView2Deferral** deferral) override;
    HRESULT STDMETHODCALLTYPE get_ResourceContext(COREWEBVIEW2_WEB_RESOURCE_CONTEXT* context) override;

    // Set by the raiser: what to do once the event finished.
    std::function<void()> finish;
    Response* answer() const;

private:
    Ref<ICoreWebView2WebResourceRequest> request_;
    Ref<ICoreWebView2WebResourceResponse> response_;
    COREWEBVIEW2_WEB_RESOURCE_CONTEXT context_;
};

class NavigationStartingArgs final : public Com<ICoreWebView2NavigationStartingEventArgsStub> {
public:
    NavigationStartingArgs(std::string uri, bool user_initiated, UINT64 id)
        : Com({IID_ICoreWebView2NavigationStartingEventArgs}), uri_(std::move(uri)), user_(user_initiated), id_(id) {}
    HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) override { return copy_text(to_wide(uri_), uri); }
    HRESULT STDMETHODCALLTYPE get_IsUserInitiated(BOOL* value) override;
    HRESULT STDMETHODCALLTYPE get_IsRedirected(BOOL* value) override;
    HRESULT STDMETHODCALLTYPE get_Cancel(BOOL* cancel) override;
    HRESULT STDMETHODCALLTYPE put_Cancel(BOOL cancel) override;
    HRESULT STDMETHODCALLTYPE get_NavigationId(UINT64* id) override;
    bool cancelled() const { return cancel_; }

private:
    std::string uri_;
    bool user_;
    UINT64 id_;
    bool cancel_ = false;
};

class NewWindowArgs final : public Com<ICoreWebView2NewWindowRequestedEventArgsStub> {
public:
    explicit NewWindowArgs(std::string uri) : Com({IID_ICoreWebView2NewWindowRequestedEventArgs}), uri_(std::move(uri)) {}
    HRESULT STDMETHODCALLTYPE get_Uri(LPWSTR* uri) override { return copy_text(to_wide(uri_), uri); }
    HRESULT STDMETHODCALLTYPE put_NewWindow(ICoreWebView2* window) override;
    HRESULT STDMETHODCALLTYPE get_NewWindow(ICoreWebView2** window) override { return window_.copy_to(window); }
    HRESULT STDMETHODCALLTYPE put_Handled(BOOL handled) override;
    HRESULT STDMETHODCALLTYPE get_Handled(BOOL* handled) override;
    HRESULT STDMETHODCALLTYPE get_IsUserInitiated(BOOL* value) override;
    bool handled() const { return handled_; }
    bool has_window() const { return static_cast<bool>(window_); }

private:
    std::string uri_;
    bool handled_ = false;
    Ref<ICoreWebView2> window_;
};

class DownloadStartingArgs final : public Com<ICoreWebView2DownloadStartingEventArgsStub> {
public:
    explicit DownloadStartingArgs(std::string uri)
        : Com({IID_ICoreWebView2DownloadStartingEventArgs}), uri_(std::move(uri)) {}
    HRESULT STDMETHODCALLTYPE get_Cancel(BOOL* cancel) override;
    HRESULT STDMETHODCALLTYPE put_Cancel(BOOL cancel) override;
    HRESULT STDMETHODCALLTYPE get_ResultFilePath(LPWSTR* path) override { return copy_text(path_, path); }
    HRESULT STDMETHODCALLTYPE put_ResultFilePath(LPCWSTR path) override;
    HRESULT STDMETHODCALLTYPE get_Handled(BOOL* handled) override;
    HRESULT STDMETHODCALLTYPE put_Handled(BOOL handled) override;
    bool cancelled() const { return cancel_; }

private:
    std::string uri_;
    std::wstring path_;
    bool cancel_ = false;
    bool handled_ = false;
};

class WebMessageArgs final : public Com<ICoreWebView2WebMessageReceivedEventArgsStub> {
public:
    // text: the message decoded, when it is a string.
    WebMessageArgs(std::string source, std::string json, std::optional<std::wstring> text)
        : Com({IID_ICoreWebView2WebMessageReceivedEventArgs}),
          source_(std::move(source)),
          json_(std::move(json)),
          text_(std::move(text)) {}
    HRESULT STDMETHODCALLTYPE get_Source(LPWSTR* source) override { return copy_text(to_wide(source_), source); }
    HRESULT STDMETHODCALLTYPE get_WebMessageAsJson(LPWSTR* json) override { return copy_text(to_wide(json_), json); }
    HRESULT STDMETHODCALLTYPE TryGetWebMessageAsString(LPWSTR* text) override;

private:
    std::string source_;
    std::string json_;
    std::optional<std::wstring> text_;
};

class ProcessFailedArgs final : public Com<ICoreWebView2ProcessFailedEventArgsStub> {
public:
    explicit ProcessFailedArgs(COREWEBVIEW2_PROCESS_FAILED_KIND kind)
        : Com({IID_ICoreWebView2ProcessFailedEventArgs}), kind_(kind) {}
    HRESULT STDMETHODCALLTYPE get_ProcessFailedKind(COREWEBVIEW2_PROCESS_FAILED_KIND* kind) override;

private:
    COREWEBVIEW2_PROCESS_FAILED_KIND kind_;
};

}  // namespace standin
