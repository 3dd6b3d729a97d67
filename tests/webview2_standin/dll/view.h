#pragma once

#include <rapidjson/document.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "args.h"
#include "channel.h"
#include "com.h"
#include "quiet.h"
#include "stubs.h"

namespace standin {

class Settings final : public Com<ICoreWebView2Settings8Stub> {
public:
    explicit Settings(Channel& channel)
        : Com({IID_ICoreWebView2Settings, IID_ICoreWebView2Settings2, IID_ICoreWebView2Settings3,
               IID_ICoreWebView2Settings4, IID_ICoreWebView2Settings5, IID_ICoreWebView2Settings6,
               IID_ICoreWebView2Settings7, IID_ICoreWebView2Settings8}),
          channel_(channel) {}

#define STANDIN_SETTING(name, initial)                                       \
    HRESULT STDMETHODCALLTYPE get_##name(BOOL* value) override {             \
        if (value == nullptr) return E_POINTER;                              \
        *value = name##_;                                                    \
        return S_OK;                                                         \
    }                                                                        \
    HRESULT STDMETHODCALLTYPE put_##name(BOOL value) override {              \
        name##_ = value;                                                     \
        channel_.record(std::string("call put_" #name " ") + (value ? "TRUE" : "FALSE")); \
        return S_OK;                                                         \
    }                                                                        \
    BOOL name##_ = initial;
    STANDIN_SETTING(IsScriptEnabled, TRUE)
    STANDIN_SETTING(IsWebMessageEnabled, TRUE)
    STANDIN_SETTING(AreDefaultScriptDialogsEnabled, TRUE)
    STANDIN_SETTING(IsStatusBarEnabled, TRUE)
    STANDIN_SETTING(AreDevToolsEnabled, TRUE)
    STANDIN_SETTING(AreDefaultContextMenusEnabled, TRUE)
    STANDIN_SETTING(AreHostObjectsAllowed, TRUE)
    STANDIN_SETTING(IsZoomControlEnabled, TRUE)
    STANDIN_SETTING(IsBuiltInErrorPageEnabled, TRUE)
    STANDIN_SETTING(AreBrowserAcceleratorKeysEnabled, TRUE)
    STANDIN_SETTING(IsPasswordAutosaveEnabled, FALSE)
    STANDIN_SETTING(IsGeneralAutofillEnabled, TRUE)
    STANDIN_SETTING(IsPinchZoomEnabled, TRUE)
    STANDIN_SETTING(IsSwipeNavigationEnabled, TRUE)
    STANDIN_SETTING(IsReputationCheckingRequired, TRUE)
#undef STANDIN_SETTING

private:
    Channel& channel_;
};

// The add_ and remove_ pair of one event, kept in list.
#define STANDIN_EVENT(name, handler, list)                                                      \
    HRESULT STDMETHODCALLTYPE add_##name(handler* h, EventRegistrationToken* token) override { \
        channel_.record("call add_" #name);                                                 \
        return list.add(h, token);                                                            \
    }                                                                                         \
    HRESULT STDMETHODCALLTYPE remove_##name(EventRegistrationToken token) override { return list.remove(token); }

// One page in the relay's browser, as ICoreWebView2 up to ICoreWebView2_27 (of the newer
// ones, suspension, muting and the events of requests beyond the page's files).
class WebView final : public Com<ICoreWebView2_27Stub> {
public:
    WebView(Channel& channel, int id);

    int id() const { return id_; }
    // The controller's IsVisible: a hidden page is one nobody sees; showing resumes it.
    void set_visible(bool visible);
    // Ends the page and drops every handler, as closing the controller does.
    void close();
    void on_event(const rapidjson::Value& event);

    HRESULT STDMETHODCALLTYPE get_Settings(ICoreWebView2Settings** settings) override;
    HRESULT STDMETHODCALLTYPE get_Source(LPWSTR* uri) override;
    HRESULT STDMETHODCALLTYPE Navigate(LPCWSTR uri) override;
    HRESULT STDMETHODCALLTYPE add_NavigationStarting(ICoreWebView2NavigationStartingEventHandler* handler,
                                                     EventRegistrationToken* token) override;
    HRESULT STDMETHODCALLTYPE remove_NavigationStarting(EventRegistrationToken token) override;
    HRESULT STDMETHODCALLTYPE add_FrameNavigationStarting(ICoreWebView2NavigationStartingEventHandler* handler,
                                                          EventRegistrationToken* token) override;
    HRESULT STDMETHODCALLTYPE remove_FrameNavigationStarting(EventRegistrationToken token) override;
    HRESULT STDMETHODCALLTYPE add_ProcessFailed(ICoreWebView2ProcessFailedEventHandler* handler,
                                                EventRegistrationToken* token) override;
    HRESULT STDMETHODCALLTYPE remove_ProcessFailed(EventRegistrationToken token) override;
    HRESULT STDMETHODCALLTYPE AddScriptToExecuteOnDocumentCreated(
        LPCWSTR script, ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler* handler) override;
    HRESULT STDMETHODCALLTYPE RemoveScriptToExecuteOnDocumentCreated(LPCWSTR id) override;
    HRESULT STDMETHODCALLTYPE ExecuteScript(LPCWSTR script, ICoreWebView2ExecuteScriptCompletedHandler* handler) override;
    HRESULT STDMETHODCALLTYPE PostWebMessageAsJson(LPCWSTR json) override;
    HRESULT STDMETHODCALLTYPE PostWebMessageAsString(LPCWSTR text) override;
    HRESULT STDMETHODCALLTYPE add_WebMessageReceived(ICoreWebView2WebMessageReceivedEventHandler* handler,
                                                     EventRegistrationToken* token) override;
    HRESULT STDMETHODCALLTYPE remove_WebMessageReceived(EventRegistrationToken token) override;
    HRESULT STDMETHODCALLTYPE add_NewWindowRequested(ICoreWebView2NewWindowRequestedEventHandler* handler,
                                                     EventRegistrationToken* token) override;
    HRESULT STDMETHODCALLTYPE remove_NewWindowRequested(EventRegistrationToken token) override;
    HRESULT STDMETHODCALLTYPE add_WebResourceRequested(ICoreWebView2WebResourceRequestedEventHandler* handler,
                                                       EventRegistrationToken* token) override;
    HRESULT STDMETHODCALLTYPE remove_WebResourceRequested(EventRegistrationToken token) override;
    HRESULT STDMETHODCALLTYPE AddWebResourceRequestedFilter(const LPCWSTR uri,
                                                            const COREWEBVIEW2_WEB_RESOURCE_CONTEXT context) override;
    HRESULT STDMETHODCALLTYPE RemoveWebResourceRequestedFilter(const LPCWSTR uri,
                                                               const COREWEBVIEW2_WEB_RESOURCE_CONTEXT context) override;
    HRESULT STDMETHODCALLTYPE add_DownloadStarting(ICoreWebView2DownloadStartingEventHandler* handler,
                                                   EventRegistrationToken* token) override;
    HRESULT STDMETHODCALLTYPE remove_DownloadStarting(EventRegistrationToken token) override;
    HRESULT STDMETHODCALLTYPE add_PermissionRequested(ICoreWebView2PermissionRequestedEventHandler* handler,
                                                      EventRegistrationToken* token) override;
    HRESULT STDMETHODCALLTYPE remove_PermissionRequested(EventRegistrationToken token) override;
    HRESULT STDMETHODCALLTYPE add_ScriptDialogOpening(ICoreWebView2ScriptDialogOpeningEventHandler* handler,
                                                      EventRegistrationToken* token) override;
    HRESULT STDMETHODCALLTYPE remove_ScriptDialogOpening(EventRegistrationToken token) override;
    HRESULT STDMETHODCALLTYPE TrySuspend(ICoreWebView2TrySuspendCompletedHandler* handler) override;
    HRESULT STDMETHODCALLTYPE Resume() override;
    HRESULT STDMETHODCALLTYPE get_IsSuspended(BOOL* suspended) override;
    HRESULT STDMETHODCALLTYPE get_IsMuted(BOOL* muted) override;
    HRESULT STDMETHODCALLTYPE put_IsMuted(BOOL muted) override;
    STANDIN_EVENT(LaunchingExternalUriScheme, ICoreWebView2LaunchingExternalUriSchemeEventHandler, launch_)
    STANDIN_EVENT(ScreenCaptureStarting, ICoreWebView2ScreenCaptureStartingEventHandler, capture_)
    STANDIN_EVENT(BasicAuthenticationRequested, ICoreWebView2BasicAuthenticationRequestedEventHandler, login_)
    STANDIN_EVENT(ClientCertificateRequested, ICoreWebView2ClientCertificateRequestedEventHandler, client_certificate_)
    STANDIN_EVENT(ServerCertificateErrorDetected, ICoreWebView2ServerCertificateErrorDetectedEventHandler,
                  server_certificate_)

private:
    struct Filter {
        std::string pattern;
        COREWEBVIEW2_WEB_RESOURCE_CONTEXT context;
    };

    void on_request(const rapidjson::Value& event);
    void on_new_window(const rapidjson::Value& event);
    void on_download(const rapidjson::Value& event);
    void on_process_failed(const rapidjson::Value& event);
    void on_dialog(const rapidjson::Value& event);
    void on_ask(const rapidjson::Value& event);
    void send_lifecycle(bool frozen);
    void begin_navigation(const std::string& uri);
    bool filtered(const std::string& uri, COREWEBVIEW2_WEB_RESOURCE_CONTEXT context) const;

    // Runs the program's handlers of one event, timing them.
    template <class List, class... Args>
    void raise(const List& list, Args... args) {
        const auto start = std::chrono::steady_clock::now();
        list.raise(args...);
        channel_.timing.handlers_ms +=
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    }

    Channel& channel_;
    int id_;
    std::optional<std::chrono::steady_clock::time_point> load_start_;
    bool closed_ = false;
    Ref<Settings> settings_;
    std::string source_ = "about:blank";
    std::string pending_navigation_;
    UINT64 navigation_id_ = 0;
    std::vector<Filter> filters_;
    EventList<ICoreWebView2NavigationStartingEventHandler> navigation_starting_;
    EventList<ICoreWebView2NavigationStartingEventHandler> frame_navigation_starting_;
    EventList<ICoreWebView2ProcessFailedEventHandler> process_failed_;
    EventList<ICoreWebView2WebMessageReceivedEventHandler> web_message_;
    EventList<ICoreWebView2NewWindowRequestedEventHandler> new_window_;
    EventList<ICoreWebView2WebResourceRequestedEventHandler> resource_;
    EventList<ICoreWebView2DownloadStartingEventHandler> download_;
    EventList<ICoreWebView2PermissionRequestedEventHandler> permission_;
    EventList<ICoreWebView2ScriptDialogOpeningEventHandler> dialog_;
    EventList<ICoreWebView2LaunchingExternalUriSchemeEventHandler> launch_;
    EventList<ICoreWebView2ScreenCaptureStartingEventHandler> capture_;
    EventList<ICoreWebView2BasicAuthenticationRequestedEventHandler> login_;
    EventList<ICoreWebView2ClientCertificateRequestedEventHandler> client_certificate_;
    EventList<ICoreWebView2ServerCertificateErrorDetectedEventHandler> server_certificate_;
    bool visible_ = true;
    bool suspended_ = false;
    BOOL muted_ = FALSE;
};

#undef STANDIN_EVENT

}  // namespace standin
