#include "args.h"

#include <rapidjson/document.h>

#include <cwctype>

namespace standin {
namespace {

HRESULT put_bool(bool value, BOOL* out) {
    if (out == nullptr) return E_POINTER;
    *out = value ? TRUE : FALSE;
    return S_OK;
}

// Header names compare without regard to case.
bool same_name(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::towlower(static_cast<unsigned char>(a[i])) != std::towlower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

HRESULT find_header(const Headers& headers, LPCWSTR name, LPWSTR* value) {
    if (name == nullptr || value == nullptr) return E_POINTER;
    const std::string wanted = to_utf8(name);
    for (const auto& [key, text] : headers) {
        if (same_name(key, wanted)) return copy_text(to_wide(text), value);
    }
    *value = nullptr;
    return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
}

HRESULT has_header(const Headers& headers, LPCWSTR name, BOOL* contains) {
    if (name == nullptr) return E_POINTER;
    const std::string wanted = to_utf8(name);
    bool found = false;
    for (const auto& entry : headers) found = found || same_name(entry.first, wanted);
    return put_bool(found, contains);
}

}  // namespace

HRESULT Deferral::Complete() {
    if (!complete_) return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
    auto complete = std::move(complete_);
    complete_ = nullptr;
    complete();
    return S_OK;
}

HRESULT Deferrable::take(ICoreWebView2Deferral** out, std::function<void()> on_all_complete) {
    if (out == nullptr) return E_POINTER;
    ++outstanding_;
    *out = new Deferral([this, on_all_complete] {
        if (--outstanding_ == 0) on_all_complete();
    });
    return S_OK;
}

HRESULT RequestHeaders::GetHeader(LPCWSTR name, LPWSTR* value) { return find_header(headers_, name, value); }
HRESULT RequestHeaders::Contains(LPCWSTR name, BOOL* contains) { return has_header(headers_, name, contains); }
HRESULT RequestHeaders::SetHeader(LPCWSTR name, LPCWSTR value) {
    if (name == nullptr || value == nullptr) return E_POINTER;
    RemoveHeader(name);
    headers_.emplace_back(to_utf8(name), to_utf8(value));
    return S_OK;
}
HRESULT RequestHeaders::RemoveHeader(LPCWSTR name) {
    if (name == nullptr) return E_POINTER;
    const std::string wanted = to_utf8(name);
    std::erase_if(headers_, [&](const auto& entry) { return same_name(entry.first, wanted); });
    return S_OK;
}

HRESULT ResponseHeaders::AppendHeader(LPCWSTR name, LPCWSTR value) {
    if (name == nullptr || value == nullptr) return E_POINTER;
    headers_.emplace_back(to_utf8(name), to_utf8(value));
    return S_OK;
}
HRESULT ResponseHeaders::Contains(LPCWSTR name, BOOL* contains) { return has_header(headers_, name, contains); }
HRESULT ResponseHeaders::GetHeader(LPCWSTR name, LPWSTR* value) { return find_header(headers_, name, value); }

Request::Request(std::string uri, std::string method, Headers headers)
    : Com({IID_ICoreWebView2WebResourceRequest}),
      uri_(std::move(uri)),
      method_(std::move(method)),
      headers_(Ref<ICoreWebView2HttpRequestHeaders>::adopt(new RequestHeaders(std::move(headers)))) {}
HRESULT Request::put_Uri(LPCWSTR uri) {
    if (uri == nullptr) return E_INVALIDARG;
    uri_ = to_utf8(uri);
    return S_OK;
}
HRESULT Request::put_Method(LPCWSTR method) {
    if (method == nullptr) return E_INVALIDARG;
    method_ = to_utf8(method);
    return S_OK;
}
HRESULT Request::get_Content(IStream** content) {
    if (content == nullptr) return E_POINTER;
    // Request bodies are not carried over from the browser.
    *content = nullptr;
    return S_OK;
}

// The header block is "Name: value" lines separated by CR LF, as CreateWebResourceResponse
// takes it.
Response::Response(IStream* content, int status, std::wstring reason, const std::wstring& headers)
    : Com({IID_ICoreWebView2WebResourceResponse}),
      content_(Ref<IStream>::share(content)),
      status_(status),
      reason_(std::move(reason)),
      headers_(Ref<ResponseHeaders>::adopt(new ResponseHeaders())) {
    const std::string block = to_utf8(headers);
    std::size_t start = 0;
    while (start < block.size()) {
        std::size_t end = block.find("\r\n", start);
        if (end == std::string::npos) end = block.size();
        const std::string line = block.substr(start, end - start);
        const auto colon = line.find(':');
        if (colon != std::string::npos) {
            std::size_t value = colon + 1;
            while (value < line.size() && line[value] == ' ') ++value;
            headers_->headers_.emplace_back(line.substr(0, colon), line.substr(value));
        }
        start = end + 2;
    }
}
HRESULT Response::put_Content(IStream* content) {
    content_ = Ref<IStream>::share(content);
    return S_OK;
}
HRESULT Response::get_Headers(ICoreWebView2HttpResponseHeaders** headers) {
    if (headers == nullptr) return E_POINTER;
    headers_->AddRef();
    *headers = headers_.get();
    return S_OK;
}
HRESULT Response::get_StatusCode(int* status) {
    if (status == nullptr) return E_POINTER;
    *status = status_;
    return S_OK;
}
HRESULT Response::put_StatusCode(int status) {
    status_ = status;
    return S_OK;
}
HRESULT Response::put_ReasonPhrase(LPCWSTR reason) {
    reason_ = reason == nullptr ? L"" : reason;
    return S_OK;
}
std::string Response::body() const {
    std::string body;
    if (!content_) return body;
    LARGE_INTEGER zero{};
    content_->Seek(zero, STREAM_SEEK_SET, nullptr);
    char chunk[65536];
    for (;;) {
        ULONG read = 0;
        const HRESULT result = content_->Read(chunk, sizeof chunk, &read);
        body.append(chunk, read);
        if (FAILED(result) || read == 0) break;
    }
    return body;
}

HRESULT ResourceRequestedArgs::get_Response(ICoreWebView2WebResourceResponse** response) {
    return response_.copy_to(response);
}
HRESULT ResourceRequestedArgs::put_Response(ICoreWebView2WebResourceResponse* response) {
    response_ = Ref<ICoreWebView2WebResourceResponse>::share(response);
    return S_OK;
}
HRESULT ResourceRequestedArgs::GetDeferral(ICoreWebView2Deferral** deferral) {
    auto self = Ref<ResourceRequestedArgs>::share(this);
    return take(deferral, [self] {
        if (!self->finish) return;
        auto done = std::move(self->finish);
        self->finish = nullptr;
        done();
    });
}
HRESULT ResourceRequestedArgs::get_ResourceContext(COREWEBVIEW2_WEB_RESOURCE_CONTEXT* context) {
    if (context == nullptr) return E_POINTER;
    *context = context_;
    return S_OK;
}
Response* ResourceRequestedArgs::answer() const {
    // Only responses this runtime created can be served (as with the real one).
    return dynamic_cast<Response*>(response_.get());
}

HRESULT NavigationStartingArgs::get_IsUserInitiated(BOOL* value) { return put_bool(user_, value); }
HRESULT NavigationStartingArgs::get_IsRedirected(BOOL* value) { return put_bool(false, value); }
HRESULT NavigationStartingArgs::get_Cancel(BOOL* cancel) { return put_bool(cancel_, cancel); }
HRESULT NavigationStartingArgs::put_Cancel(BOOL cancel) {
    cancel_ = cancel != FALSE;
    return S_OK;
}
HRESULT NavigationStartingArgs::get_NavigationId(UINT64* id) {
    if (id == nullptr) return E_POINTER;
    *id = id_;
    return S_OK;
}

HRESULT NewWindowArgs::put_NewWindow(ICoreWebView2* window) {
    window_ = Ref<ICoreWebView2>::share(window);
    return S_OK;
}
HRESULT NewWindowArgs::put_Handled(BOOL handled) {
    handled_ = handled != FALSE;
    return S_OK;
}
HRESULT NewWindowArgs::get_Handled(BOOL* handled) { return put_bool(handled_, handled); }
HRESULT NewWindowArgs::get_IsUserInitiated(BOOL* value) { return put_bool(false, value); }

HRESULT DownloadStartingArgs::get_Cancel(BOOL* cancel) { return put_bool(cancel_, cancel); }
HRESULT DownloadStartingArgs::put_Cancel(BOOL cancel) {
    cancel_ = cancel != FALSE;
    return S_OK;
}
HRESULT DownloadStartingArgs::put_ResultFilePath(LPCWSTR path) {
    if (path == nullptr) return E_INVALIDARG;
    path_ = path;
    return S_OK;
}
HRESULT DownloadStartingArgs::get_Handled(BOOL* handled) { return put_bool(handled_, handled); }
HRESULT DownloadStartingArgs::put_Handled(BOOL handled) {
    handled_ = handled != FALSE;
    return S_OK;
}

HRESULT WebMessageArgs::TryGetWebMessageAsString(LPWSTR* text) {
    if (text == nullptr) return E_POINTER;
    if (!text_) {
        *text = nullptr;
        return E_INVALIDARG;
    }
    return copy_text(*text_, text);
}

HRESULT ProcessFailedArgs::get_ProcessFailedKind(COREWEBVIEW2_PROCESS_FAILED_KIND* kind) {
    if (kind == nullptr) return E_POINTER;
    *kind = kind_;
    return S_OK;
}

}  // namespace standin
