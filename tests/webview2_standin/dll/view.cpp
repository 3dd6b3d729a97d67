#include "view.h"

#include <cstdio>
#include <map>

#include "outside.h"

namespace standin {
namespace {

const HRESULT kClosed = HRESULT_FROM_WIN32(ERROR_INVALID_STATE);

std::string base64(const std::string& bytes) {
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t left = bytes.size() - i;
        std::uint32_t chunk = static_cast<unsigned char>(bytes[i]) << 16;
        if (left > 1) chunk |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (left > 2) chunk |= static_cast<unsigned char>(bytes[i + 2]);
        out += kAlphabet[(chunk >> 18) & 63];
        out += kAlphabet[(chunk >> 12) & 63];
        out += left > 1 ? kAlphabet[(chunk >> 6) & 63] : '=';
        out += left > 2 ? kAlphabet[chunk & 63] : '=';
    }
    return out;
}

// The filter's wildcard: "*" stands for any run of characters.
bool wildcard_match(const std::string& pattern, const std::string& text) {
    std::size_t p = 0, t = 0, star = std::string::npos, mark = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = t;
        } else if (p < pattern.size() && pattern[p] == text[t]) {
            ++p;
            ++t;
        } else if (star != std::string::npos) {
            p = star + 1;
            t = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

COREWEBVIEW2_WEB_RESOURCE_CONTEXT context_of(const std::string& type) {
    static const std::map<std::string, COREWEBVIEW2_WEB_RESOURCE_CONTEXT> kContexts = {
        {"Document", COREWEBVIEW2_WEB_RESOURCE_CONTEXT_DOCUMENT},
        {"Stylesheet", COREWEBVIEW2_WEB_RESOURCE_CONTEXT_STYLESHEET},
        {"Image", COREWEBVIEW2_WEB_RESOURCE_CONTEXT_IMAGE},
        {"Media", COREWEBVIEW2_WEB_RESOURCE_CONTEXT_MEDIA},
        {"Font", COREWEBVIEW2_WEB_RESOURCE_CONTEXT_FONT},
        {"Script", COREWEBVIEW2_WEB_RESOURCE_CONTEXT_SCRIPT},
        {"XHR", COREWEBVIEW2_WEB_RESOURCE_CONTEXT_XML_HTTP_REQUEST},
        {"Fetch", COREWEBVIEW2_WEB_RESOURCE_CONTEXT_FETCH},
        {"TextTrack", COREWEBVIEW2_WEB_RESOURCE_CONTEXT_TEXT_TRACK},
        {"EventSource", COREWEBVIEW2_WEB_RESOURCE_CONTEXT_EVENT_SOURCE},
        {"WebSocket", COREWEBVIEW2_WEB_RESOURCE_CONTEXT_WEBSOCKET},
        {"Manifest", COREWEBVIEW2_WEB_RESOURCE_CONTEXT_MANIFEST},
        {"SignedExchange", COREWEBVIEW2_WEB_RESOURCE_CONTEXT_SIGNED_EXCHANGE},
        {"Ping", COREWEBVIEW2_WEB_RESOURCE_CONTEXT_PING},
        {"CSPViolationReport", COREWEBVIEW2_WEB_RESOURCE_CONTEXT_CSP_VIOLATION_REPORT},
    };
    const auto found = kContexts.find(type);
    return found == kContexts.end() ? COREWEBVIEW2_WEB_RESOURCE_CONTEXT_OTHER : found->second;
}

std::string text_of(const rapidjson::Value& object, const char* name) {
    if (!object.HasMember(name) || !object[name].IsString()) return {};
    return std::string(object[name].GetString(), object[name].GetStringLength());
}

}  // namespace

WebView::WebView(Channel& channel, int id)
    : Com({IID_ICoreWebView2,    IID_ICoreWebView2_2,  IID_ICoreWebView2_3,  IID_ICoreWebView2_4,  IID_ICoreWebView2_5,
           IID_ICoreWebView2_6,  IID_ICoreWebView2_7,  IID_ICoreWebView2_8,  IID_ICoreWebView2_9,  IID_ICoreWebView2_10,
           IID_ICoreWebView2_11, IID_ICoreWebView2_12, IID_ICoreWebView2_13, IID_ICoreWebView2_14, IID_ICoreWebView2_15,
           IID_ICoreWebView2_16, IID_ICoreWebView2_17, IID_ICoreWebView2_18, IID_ICoreWebView2_19, IID_ICoreWebView2_20,
           IID_ICoreWebView2_21, IID_ICoreWebView2_22, IID_ICoreWebView2_23, IID_ICoreWebView2_24, IID_ICoreWebView2_25,
           IID_ICoreWebView2_26, IID_ICoreWebView2_27}),
      channel_(channel),
      id_(id),
      settings_(Ref<Settings>::adopt(new Settings(channel))) {}

void WebView::close() {
    if (closed_) return;
    closed_ = true;
    navigation_starting_.clear();
    frame_navigation_starting_.clear();
    process_failed_.clear();
    web_message_.clear();
    new_window_.clear();
    resource_.clear();
    download_.clear();
    permission_.clear();
    dialog_.clear();
    launch_.clear();
    capture_.clear();
    login_.clear();
    client_certificate_.clear();
    server_certificate_.clear();
    channel_.drop_sink(id_);
    channel_.send("\"op\":\"closeView\",\"view\":" + std::to_string(id_));
}

HRESULT WebView::get_Settings(ICoreWebView2Settings** settings) {
    if (closed_) return kClosed;
    if (settings == nullptr) return E_POINTER;
    settings_->AddRef();
    *settings = settings_.get();
    return S_OK;
}

HRESULT WebView::get_Source(LPWSTR* uri) { return copy_text(to_wide(source_), uri); }

HRESULT WebView::Navigate(LPCWSTR uri) {
    if (closed_) return kClosed;
    if (uri == nullptr) return E_INVALIDARG;
    const std::string url = to_utf8(uri);
    channel_.record("call Navigate " + url);
    if (url.find(':') == std::string::npos) return E_INVALIDARG;
    if (!load_start_) load_start_ = std::chrono::steady_clock::now();
    auto self = Ref<WebView>::share(this);
    channel_.post([self, url] { self->begin_navigation(url); });
    return S_OK;
}

// As for the runtime's Navigate: NavigationStarting first, and the navigation goes on
// only when no handler cancelled it.
void WebView::begin_navigation(const std::string& uri) {
    if (closed_) return;
    auto args = Ref<NavigationStartingArgs>::adopt(new NavigationStartingArgs(uri, false, ++navigation_id_));
    raise(navigation_starting_, static_cast<ICoreWebView2*>(this), args.get());
    channel_.record("event NavigationStarting " + uri + (args->cancelled() ? " cancelled" : " allowed"));
    if (args->cancelled() || closed_) return;
    pending_navigation_ = uri;
    channel_.send("\"op\":\"navigate\",\"view\":" + std::to_string(id_) + ",\"url\":" + quote(uri));
}

#define STANDIN_EVENT(Name, list, Handler)                                                    \
    HRESULT WebView::add_##Name(Handler* handler, EventRegistrationToken* token) {              \
        if (closed_) return kClosed;                                                           \
        channel_.record("call add_" #Name);                                                   \
        return list.add(handler, token);                                                       \
    }                                                                                          \
    HRESULT WebView::remove_##Name(EventRegistrationToken token) {                             \
        channel_.record("call remove_" #Name);                                                \
        return list.remove(token);                                                             \
    }
STANDIN_EVENT(NavigationStarting, navigation_starting_, ICoreWebView2NavigationStartingEventHandler)
STANDIN_EVENT(FrameNavigationStarting, frame_navigation_starting_, ICoreWebView2NavigationStartingEventHandler)
STANDIN_EVENT(ProcessFailed, process_failed_, ICoreWebView2ProcessFailedEventHandler)
STANDIN_EVENT(NewWindowRequested, new_window_, ICoreWebView2NewWindowRequestedEventHandler)
STANDIN_EVENT(WebResourceRequested, resource_, ICoreWebView2WebResourceRequestedEventHandler)
STANDIN_EVENT(DownloadStarting, download_, ICoreWebView2DownloadStartingEventHandler)
STANDIN_EVENT(PermissionRequested, permission_, ICoreWebView2PermissionRequestedEventHandler)
STANDIN_EVENT(ScriptDialogOpening, dialog_, ICoreWebView2ScriptDialogOpeningEventHandler)
#undef STANDIN_EVENT

// The relay forwards a page's messages only while the view has a handler for them: a
// host that took its handler off a flooding page pays nothing more for it.
HRESULT WebView::add_WebMessageReceived(ICoreWebView2WebMessageReceivedEventHandler* handler,
                                        EventRegistrationToken* token) {
    if (closed_) return kClosed;
    channel_.record("call add_WebMessageReceived");
    const HRESULT added = web_message_.add(handler, token);
    channel_.send("\"op\":\"listen\",\"view\":" + std::to_string(id_) + ",\"on\":true");
    return added;
}

HRESULT WebView::remove_WebMessageReceived(EventRegistrationToken token) {
    channel_.record("call remove_WebMessageReceived");
    const HRESULT removed = web_message_.remove(token);
    if (web_message_.empty() && !closed_) {
        channel_.send("\"op\":\"listen\",\"view\":" + std::to_string(id_) + ",\"on\":false");
    }
    return removed;
}

HRESULT WebView::AddScriptToExecuteOnDocumentCreated(
    LPCWSTR script, ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler* handler) {
    if (closed_) return kClosed;
    if (script == nullptr) return E_INVALIDARG;
    std::string text = to_utf8(script);
    channel_.record("call AddScriptToExecuteOnDocumentCreated " + std::to_string(text.size()) + " bytes" +
                    (handler != nullptr ? " with completion" : " without completion"));
    const std::string& skipped = channel_.config().skip_script_containing;
    if (!skipped.empty() && text.find(skipped) != std::string::npos) {
        channel_.record("fault: script skipped");
        text.clear();
    }
    auto completion = Ref<ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler>::share(handler);
    auto self = Ref<WebView>::share(this);
    channel_.send("\"op\":\"addScript\",\"view\":" + std::to_string(id_) + ",\"source\":" + quote(text),
                  [self, completion](const rapidjson::Value& reply) {
                      const bool ok = reply.HasMember("ok") && reply["ok"].GetBool();
                      self->channel_.record(std::string("event AddScriptToExecuteOnDocumentCreated completed") +
                                            (completion ? "" : " (nobody waits)"));
                      if (completion) {
                          completion->Invoke(ok ? S_OK : E_FAIL,
                                             ok ? to_wide(text_of(reply, "scriptId")).c_str() : nullptr);
                      }
                  });
    return S_OK;
}

HRESULT WebView::RemoveScriptToExecuteOnDocumentCreated(LPCWSTR id) {
    if (closed_) return kClosed;
    if (id == nullptr) return E_INVALIDARG;
    channel_.send("\"op\":\"removeScript\",\"view\":" + std::to_string(id_) + ",\"scriptId\":" + quote(to_utf8(id)));
    return S_OK;
}

HRESULT WebView::ExecuteScript(LPCWSTR script, ICoreWebView2ExecuteScriptCompletedHandler* handler) {
    if (closed_) return kClosed;
    if (script == nullptr) return E_INVALIDARG;
    const std::string text = to_utf8(script);
    channel_.record("call ExecuteScript " + text);
    auto completion = Ref<ICoreWebView2ExecuteScriptCompletedHandler>::share(handler);
    channel_.send("\"op\":\"eval\",\"view\":" + std::to_string(id_) + ",\"expression\":" + quote(text),
                  [completion](const rapidjson::Value& reply) {
                      if (!completion) return;
                      const bool ok = reply.HasMember("ok") && reply["ok"].GetBool();
                      completion->Invoke(ok ? S_OK : E_FAIL, to_wide(ok ? text_of(reply, "json") : "null").c_str());
                  });
    return S_OK;
}

HRESULT WebView::PostWebMessageAsJson(LPCWSTR json) {
    if (closed_) return kClosed;
    if (json == nullptr) return E_INVALIDARG;
    rapidjson::Document parsed;
    const std::string text = to_utf8(json);
    parsed.Parse(text.c_str(), text.size());
    if (parsed.HasParseError()) return E_INVALIDARG;
    channel_.record("call PostWebMessageAsJson " + text);
    channel_.send("\"op\":\"postJson\",\"view\":" + std::to_string(id_) + ",\"json\":" + quote(text));
    return S_OK;
}

HRESULT WebView::PostWebMessageAsString(LPCWSTR text) {
    if (closed_) return kClosed;
    if (text == nullptr) return E_INVALIDARG;
    const std::string json = quote(to_utf8(text));
    channel_.record("call PostWebMessageAsString " + json);
    channel_.send("\"op\":\"postJson\",\"view\":" + std::to_string(id_) + ",\"json\":" + quote(json));
    return S_OK;
}

HRESULT WebView::AddWebResourceRequestedFilter(const LPCWSTR uri, const COREWEBVIEW2_WEB_RESOURCE_CONTEXT context) {
    if (closed_) return kClosed;
    if (uri == nullptr) return E_INVALIDARG;
    filters_.push_back({to_utf8(uri), context});
    channel_.record("call AddWebResourceRequestedFilter " + filters_.back().pattern + " " + std::to_string(context));
    return S_OK;
}

HRESULT WebView::RemoveWebResourceRequestedFilter(const LPCWSTR uri, const COREWEBVIEW2_WEB_RESOURCE_CONTEXT context) {
    if (closed_) return kClosed;
    if (uri == nullptr) return E_INVALIDARG;
    const std::string pattern = to_utf8(uri);
    const auto removed = std::erase_if(filters_, [&](const Filter& f) { return f.pattern == pattern && f.context == context; });
    return removed > 0 ? S_OK : HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
}

bool WebView::filtered(const std::string& uri, COREWEBVIEW2_WEB_RESOURCE_CONTEXT context) const {
    for (const Filter& filter : filters_) {
        const bool context_matches = filter.context == COREWEBVIEW2_WEB_RESOURCE_CONTEXT_ALL || filter.context == context;
        if (context_matches && wildcard_match(filter.pattern, uri)) return true;
    }
    return false;
}

void WebView::on_event(const rapidjson::Value& event) {
    if (closed_) return;
    const std::string kind = text_of(event, "ev");
    if (kind == "request") {
        on_request(event);
    } else if (kind == "message") {
        std::optional<std::wstring> text;
        if (const auto utf16 = event.FindMember("text16"); utf16 != event.MemberEnd() && utf16->value.IsString()) {
            text.emplace(reinterpret_cast<const wchar_t*>(utf16->value.GetString()),
                         utf16->value.GetStringLength() / sizeof(wchar_t));
        }
        auto args = Ref<WebMessageArgs>::adopt(
            new WebMessageArgs(text_of(event, "source"), text_of(event, "json"), std::move(text)));
        raise(web_message_, static_cast<ICoreWebView2*>(this), args.get());
        if (load_start_) {
            // The page's first message ends its load.
            const auto& timing = channel_.timing;
            const double load =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - *load_start_).count();
            char line[200];
            std::snprintf(line, sizeof line, "timing environment=%.1f controller=%.1f load=%.1f handlers=%.1f",
                          timing.environment_ms, timing.controller_ms, load, timing.handlers_ms);
            channel_.record(line);
            load_start_.reset();
        }
    } else if (kind == "newWindow") {
        on_new_window(event);
    } else if (kind == "download") {
        on_download(event);
    } else if (kind == "processFailed") {
        on_process_failed(event);
    } else if (kind == "dialog") {
        on_dialog(event);
    } else if (kind == "ask") {
        on_ask(event);
    }
}

void WebView::on_ask(const rapidjson::Value& event) {
    const std::string what = text_of(event, "what");
    const std::string uri = text_of(event, "uri");
    auto* sender = static_cast<ICoreWebView2*>(this);
    const auto decide = [&](auto args, const auto& list, const char* name) {
        const bool handled = !list.empty();
        raise(list, sender, args.get());
        channel_.record(std::string("event ") + name + " " + uri +
                        (!handled ? " unhandled" : args->cancelled() ? " cancelled" : " allowed"));
    };
    if (what == "launch") decide(Ref<LaunchArgs>::adopt(new LaunchArgs(uri)), launch_, "LaunchingExternalUriScheme");
    else if (what == "capture") decide(Ref<CaptureArgs>::adopt(new CaptureArgs(uri)), capture_, "ScreenCaptureStarting");
    else if (what == "login") decide(Ref<LoginArgs>::adopt(new LoginArgs(uri)), login_, "BasicAuthenticationRequested");
    else if (what == "client-certificate") {
        decide(Ref<ClientCertificateArgs>::adopt(new ClientCertificateArgs(uri)), client_certificate_,
               "ClientCertificateRequested");
    } else if (what == "server-certificate") {
        decide(Ref<ServerCertificateArgs>::adopt(new ServerCertificateArgs(uri)), server_certificate_,
               "ServerCertificateErrorDetected");
    }
}

void WebView::on_request(const rapidjson::Value& event) {
    const std::string request_id = text_of(event, "req");
    const std::string url = text_of(event, "url");
    const std::string request = ",\"req\":" + quote(request_id) + ",\"url\":" + quote(url);
    const std::string type = text_of(event, "resourceType");
    const bool main_frame = event.HasMember("mainFrame") && event["mainFrame"].GetBool();
    const COREWEBVIEW2_WEB_RESOURCE_CONTEXT context = context_of(type);

    // A document request the program did not start itself is a navigation of the page:
    // NavigationStarting (top) or FrameNavigationStarting (frames) may cancel it.
    if (context == COREWEBVIEW2_WEB_RESOURCE_CONTEXT_DOCUMENT) {
        if (main_frame && url == pending_navigation_) {
            pending_navigation_.clear();
        } else {
            auto args = Ref<NavigationStartingArgs>::adopt(new NavigationStartingArgs(url, true, ++navigation_id_));
            auto& list = main_frame ? navigation_starting_ : frame_navigation_starting_;
            raise(list, static_cast<ICoreWebView2*>(this), args.get());
            channel_.record(std::string("event ") + (main_frame ? "NavigationStarting " : "FrameNavigationStarting ") +
                            url + (args->cancelled() ? " cancelled" : " allowed"));
            if (args->cancelled() || closed_) {
                channel_.send("\"op\":\"fail\"" + request);
                return;
            }
        }
        if (main_frame) source_ = url;
    }
    if (!filtered(url, context)) {
        channel_.send("\"op\":\"continue\"" + request);
        return;
    }

    Headers headers;
    if (event.HasMember("headers") && event["headers"].IsObject()) {
        const auto& list = event["headers"];
        for (auto member = list.MemberBegin(); member != list.MemberEnd(); ++member) {
            if (member->value.IsString()) headers.emplace_back(member->name.GetString(), member->value.GetString());
        }
    }
    auto request_object = Ref<ICoreWebView2WebResourceRequest>::adopt(
        new Request(url, text_of(event, "method"), std::move(headers)));
    auto args = Ref<ResourceRequestedArgs>::adopt(new ResourceRequestedArgs(request_object, context));
    auto self = Ref<WebView>::share(this);
    ResourceRequestedArgs* raw = args.get();
    // Runs once the handlers returned and every deferral completed.
    args->finish = [self, raw, request, url] {
        const Response* answer = raw->answer();
        if (answer == nullptr) {
            // Unanswered: the request goes on to the network, as with the runtime.
            self->channel_.record("event WebResourceRequested unanswered " + url);
            self->channel_.send("\"op\":\"continue\"" + request);
            return;
        }
        std::string headers_json = "[";
        for (const auto& [name, value] : answer->headers()) {
            if (headers_json.size() > 1) headers_json += ",";
            headers_json += "[" + quote(name) + "," + quote(value) + "]";
        }
        headers_json += "]";
        self->channel_.send("\"op\":\"fulfill\"" + request + ",\"status\":" + std::to_string(answer->status()) +
                            ",\"reason\":" + quote(to_utf8(answer->reason())) + ",\"headers\":" + headers_json +
                            ",\"body\":" + quote(base64(answer->body())));
    };
    raise(resource_, static_cast<ICoreWebView2*>(this), static_cast<ICoreWebView2WebResourceRequestedEventArgs*>(raw));
    if (!args->pending()) {
        auto finish = std::move(args->finish);
        args->finish = nullptr;
        finish();
    }
}

void WebView::on_new_window(const rapidjson::Value& event) {
    auto args = Ref<NewWindowArgs>::adopt(new NewWindowArgs(text_of(event, "url")));
    new_window_.raise(static_cast<ICoreWebView2*>(this), args.get());
    const bool handled = args->handled() || args->has_window();
    channel_.record("event NewWindowRequested " + text_of(event, "url") + (handled ? " handled" : " not handled"));
    channel_.send("\"op\":\"newWindowAnswer\",\"target\":" + quote(text_of(event, "target")) +
                  ",\"handled\":" + (handled ? "true" : "false"));
}

void WebView::on_download(const rapidjson::Value& event) {
    auto args = Ref<DownloadStartingArgs>::adopt(new DownloadStartingArgs(text_of(event, "url")));
    download_.raise(static_cast<ICoreWebView2*>(this), args.get());
    channel_.record("event DownloadStarting " + text_of(event, "url") + (args->cancelled() ? " cancelled" : " allowed"));
    channel_.send("\"op\":\"downloadAnswer\",\"guid\":" + quote(text_of(event, "guid")) +
                  ",\"cancel\":" + (args->cancelled() ? "true" : "false"));
}

void WebView::on_process_failed(const rapidjson::Value& event) {
    const bool browser = text_of(event, "kind") == "browser";
    const auto kind = browser ? COREWEBVIEW2_PROCESS_FAILED_KIND_BROWSER_PROCESS_EXITED
                              : COREWEBVIEW2_PROCESS_FAILED_KIND_RENDER_PROCESS_EXITED;
    auto args = Ref<ProcessFailedArgs>::adopt(new ProcessFailedArgs(kind));
    channel_.record(std::string("event ProcessFailed ") + (browser ? "browser" : "render") + " process exited" +
                    (process_failed_.empty() ? " (no handler)" : ""));
    process_failed_.raise(static_cast<ICoreWebView2*>(this), args.get());
    // Without its browser the WebView is closed.
    if (browser) close();
}

// The runtime's reference: TrySuspend needs an invisible view (else ERROR_INVALID_STATE);
// a suspended view's script timers and animations stop, which the relay does by freezing
// the page's lifecycle; Resume, or showing the view, thaws it.
void WebView::set_visible(bool visible) {
    visible_ = visible;
    channel_.send("\"op\":\"visible\",\"view\":" + std::to_string(id_) + ",\"on\":" + (visible ? "true" : "false"));
    // Showing a suspended view resumes it, whatever Resume answered before.
    if (visible && suspended_) send_lifecycle(false);
}

void WebView::send_lifecycle(bool frozen) {
    suspended_ = frozen;
    channel_.send("\"op\":\"lifecycle\",\"view\":" + std::to_string(id_) + ",\"frozen\":" + (frozen ? "true" : "false"));
}

HRESULT WebView::TrySuspend(ICoreWebView2TrySuspendCompletedHandler* handler) {
    if (closed_) return kClosed;
    channel_.record(std::string("call TrySuspend") + (visible_ ? " while visible" : ""));
    if (visible_) return HRESULT_FROM_WIN32(ERROR_INVALID_STATE);
    send_lifecycle(true);
    auto completion = Ref<ICoreWebView2TrySuspendCompletedHandler>::share(handler);
    if (completion) channel_.post([completion] { completion->Invoke(S_OK, TRUE); });
    return S_OK;
}

HRESULT WebView::Resume() {
    if (closed_) return kClosed;
    channel_.record("call Resume");
    if (const auto failure = channel_.config().resume_result) {
        channel_.record("fault: Resume fails with " + hresult_text(*failure));
        return *failure;
    }
    if (suspended_) send_lifecycle(false);
    return S_OK;
}

HRESULT WebView::get_IsSuspended(BOOL* suspended) {
    if (suspended == nullptr) return E_POINTER;
    *suspended = suspended_ ? TRUE : FALSE;
    return S_OK;
}

HRESULT WebView::get_IsMuted(BOOL* muted) {
    if (muted == nullptr) return E_POINTER;
    *muted = muted_;
    return S_OK;
}

// Recorded only: the relay's headless browser has no sound to silence.
HRESULT WebView::put_IsMuted(BOOL muted) {
    if (closed_) return kClosed;
    muted_ = muted;
    channel_.record(std::string("call put_IsMuted ") + (muted ? "TRUE" : "FALSE"));
    return S_OK;
}

// With the default dialogs on, the runtime shows its own dialog over the host (recorded
// as shown, then dismissed); with them off it raises ScriptDialogOpening and a dialog
// nobody accepted is dismissed.
void WebView::on_dialog(const rapidjson::Value& event) {
    const std::string kind = text_of(event, "kind");
    bool accept = false;
    if (settings_->AreDefaultScriptDialogsEnabled_) {
        channel_.record("page dialog shown " + kind);
    } else {
        auto args = Ref<ScriptDialogArgs>::adopt(new ScriptDialogArgs(kind));
        dialog_.raise(static_cast<ICoreWebView2*>(this), args.get());
        accept = args->accepted();
        channel_.record("event ScriptDialogOpening " + kind + (accept ? " accepted" : " dismissed"));
    }
    channel_.send("\"op\":\"dialogAnswer\",\"view\":" + std::to_string(id_) + ",\"accept\":" + (accept ? "true" : "false"));
}

}  // namespace standin
