#include "player/windows/webview2/refused_requests.h"

#include <string>

#include "player/win32/system_error.h"
#include "player/windows/webview2/handlers.h"

namespace player::webview2 {
namespace {

// Registers a handler through a newer interface of the view, when the runtime has it.
template <class View, class Add>
core::Status add_to_newer(ICoreWebView2& webview, const IID& iid, const std::string& event, const NoteOnce& note,
                          Add add) {
    win32::com_ptr<View> view;
    webview.QueryInterface(iid, reinterpret_cast<void**>(view.put()));
    if (!view) {
        note("the WebView2 runtime lacks the " + event + " event; going on without it");
        return {};
    }
    EventRegistrationToken token{};
    const HRESULT added = add(*view, &token);
    if (FAILED(added)) return std::unexpected(win32::failed_hresult("add_" + event, added));
    return {};
}

}  // namespace

core::Status refuse_outside_requests(ICoreWebView2& webview, const NoteOnce& note) {
    // Otherwise the runtime asks the user whether to open the program behind the link.
    const auto launch = LaunchingExternalUriSchemeHandler::make(
        [](ICoreWebView2*, ICoreWebView2LaunchingExternalUriSchemeEventArgs* args) { return args->put_Cancel(TRUE); });
    if (auto added = add_to_newer<ICoreWebView2_18>(
            webview, IID_ICoreWebView2_18, "LaunchingExternalUriScheme", note,
            [&](ICoreWebView2_18& view, EventRegistrationToken* token) {
                return view.add_LaunchingExternalUriScheme(launch.get(), token);
            });
        !added) {
        return added;
    }
    // getDisplayMedia after a click in the preview would offer the user's screen.
    const auto capture = ScreenCaptureStartingHandler::make(
        [](ICoreWebView2*, ICoreWebView2ScreenCaptureStartingEventArgs* args) { return args->put_Cancel(TRUE); });
    if (auto added = add_to_newer<ICoreWebView2_27>(webview, IID_ICoreWebView2_27, "ScreenCaptureStarting", note,
                                                    [&](ICoreWebView2_27& view, EventRegistrationToken* token) {
                                                        return view.add_ScreenCaptureStarting(capture.get(), token);
                                                    });
        !added) {
        return added;
    }
    const auto login = BasicAuthenticationRequestedHandler::make(
        [](ICoreWebView2*, ICoreWebView2BasicAuthenticationRequestedEventArgs* args) { return args->put_Cancel(TRUE); });
    if (auto added = add_to_newer<ICoreWebView2_10>(webview, IID_ICoreWebView2_10, "BasicAuthenticationRequested", note,
                                                    [&](ICoreWebView2_10& view, EventRegistrationToken* token) {
                                                        return view.add_BasicAuthenticationRequested(login.get(), token);
                                                    });
        !added) {
        return added;
    }
    // Cancelled and handled: no certificate is offered, and no picker is shown.
    const auto client_certificate = ClientCertificateRequestedHandler::make(
        [](ICoreWebView2*, ICoreWebView2ClientCertificateRequestedEventArgs* args) {
            const HRESULT cancelled = args->put_Cancel(TRUE);
            return FAILED(cancelled) ? cancelled : args->put_Handled(TRUE);
        });
    if (auto added = add_to_newer<ICoreWebView2_5>(webview, IID_ICoreWebView2_5, "ClientCertificateRequested", note,
                                                   [&](ICoreWebView2_5& view, EventRegistrationToken* token) {
                                                       return view.add_ClientCertificateRequested(
                                                           client_certificate.get(), token);
                                                   });
        !added) {
        return added;
    }
    const auto server_certificate = ServerCertificateErrorDetectedHandler::make(
        [](ICoreWebView2*, ICoreWebView2ServerCertificateErrorDetectedEventArgs* args) {
            return args->put_Action(COREWEBVIEW2_SERVER_CERTIFICATE_ERROR_ACTION_CANCEL);
        });
    return add_to_newer<ICoreWebView2_14>(webview, IID_ICoreWebView2_14, "ServerCertificateErrorDetected", note,
                                          [&](ICoreWebView2_14& view, EventRegistrationToken* token) {
                                              return view.add_ServerCertificateErrorDetected(server_certificate.get(),
                                                                                             token);
                                          });
}

}  // namespace player::webview2
