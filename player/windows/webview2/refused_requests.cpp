#include "player/windows/webview2/refused_requests.h"

#include <string>

#include "player/win32/system_error.h"
#include "player/windows/webview2/handlers.h"

namespace player::webview2 {
namespace {

// Registers a handler through add, a method of a newer interface of the view, when the
// runtime has that interface.
template <class View, class Interface>
core::Status add_to_newer(ICoreWebView2& webview, const IID& iid, const std::string& event, const NoteOnce& note,
                          HRESULT (STDMETHODCALLTYPE View::*add)(Interface*, EventRegistrationToken*),
                          const win32::com_ptr<Interface>& handler) {
    win32::com_ptr<View> view;
    webview.QueryInterface(iid, reinterpret_cast<void**>(view.put()));
    if (!view) {
        note("the WebView2 runtime lacks the " + event + " event; going on without it");
        return {};
    }
    EventRegistrationToken token{};
    const HRESULT added = (view.get()->*add)(handler.get(), &token);
    if (FAILED(added)) return std::unexpected(win32::failed_hresult("add_" + event, added));
    return {};
}

}  // namespace

core::Status refuse_outside_requests(ICoreWebView2& webview, const NoteOnce& note) {
    const core::Status results[] = {
        // Otherwise the runtime asks the user whether to open the program behind the link.
        add_to_newer(webview, IID_ICoreWebView2_18, "LaunchingExternalUriScheme", note,
                     &ICoreWebView2_18::add_LaunchingExternalUriScheme,
                     LaunchingExternalUriSchemeHandler::make(
                         [](ICoreWebView2*, ICoreWebView2LaunchingExternalUriSchemeEventArgs* args) {
                             return args->put_Cancel(TRUE);
                         })),
        // getDisplayMedia after a click in the preview would offer the user's screen.
        add_to_newer(webview, IID_ICoreWebView2_27, "ScreenCaptureStarting", note,
                     &ICoreWebView2_27::add_ScreenCaptureStarting,
                     ScreenCaptureStartingHandler::make([](ICoreWebView2*, ICoreWebView2ScreenCaptureStartingEventArgs* args) {
                         return args->put_Cancel(TRUE);
                     })),
        add_to_newer(webview, IID_ICoreWebView2_10, "BasicAuthenticationRequested", note,
                     &ICoreWebView2_10::add_BasicAuthenticationRequested,
                     BasicAuthenticationRequestedHandler::make(
                         [](ICoreWebView2*, ICoreWebView2BasicAuthenticationRequestedEventArgs* args) {
                             return args->put_Cancel(TRUE);
                         })),
        // Cancelled and handled: no certificate is offered, and no picker is shown.
        add_to_newer(webview, IID_ICoreWebView2_5, "ClientCertificateRequested", note,
                     &ICoreWebView2_5::add_ClientCertificateRequested,
                     ClientCertificateRequestedHandler::make(
                         [](ICoreWebView2*, ICoreWebView2ClientCertificateRequestedEventArgs* args) {
                             const HRESULT cancelled = args->put_Cancel(TRUE);
                             return FAILED(cancelled) ? cancelled : args->put_Handled(TRUE);
                         })),
        // Otherwise the runtime shows its error page, which the user may click past.
        add_to_newer(webview, IID_ICoreWebView2_14, "ServerCertificateErrorDetected", note,
                     &ICoreWebView2_14::add_ServerCertificateErrorDetected,
                     ServerCertificateErrorDetectedHandler::make(
                         [](ICoreWebView2*, ICoreWebView2ServerCertificateErrorDetectedEventArgs* args) {
                             return args->put_Action(COREWEBVIEW2_SERVER_CERTIFICATE_ERROR_ACTION_CANCEL);
                         })),
    };
    for (const core::Status& result : results) {
        if (!result) return result;
    }
    return {};
}

}  // namespace player::webview2
