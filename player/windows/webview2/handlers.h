#pragma once

#include <WebView2.h>

#include "player/windows/webview2/com_object.h"

namespace player::webview2 {

using EnvironmentCompletedHandler =
    Handler<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler,
            IID_ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler, HRESULT, ICoreWebView2Environment*>;
using ControllerCompletedHandler =
    Handler<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler,
            IID_ICoreWebView2CreateCoreWebView2ControllerCompletedHandler, HRESULT, ICoreWebView2Controller*>;
using NavigationStartingHandler =
    Handler<ICoreWebView2NavigationStartingEventHandler, IID_ICoreWebView2NavigationStartingEventHandler,
            ICoreWebView2*, ICoreWebView2NavigationStartingEventArgs*>;
using NewWindowRequestedHandler =
    Handler<ICoreWebView2NewWindowRequestedEventHandler, IID_ICoreWebView2NewWindowRequestedEventHandler,
            ICoreWebView2*, ICoreWebView2NewWindowRequestedEventArgs*>;
using WebMessageReceivedHandler =
    Handler<ICoreWebView2WebMessageReceivedEventHandler, IID_ICoreWebView2WebMessageReceivedEventHandler,
            ICoreWebView2*, ICoreWebView2WebMessageReceivedEventArgs*>;
using WebResourceRequestedHandler =
    Handler<ICoreWebView2WebResourceRequestedEventHandler, IID_ICoreWebView2WebResourceRequestedEventHandler,
            ICoreWebView2*, ICoreWebView2WebResourceRequestedEventArgs*>;
using AddScriptCompletedHandler =
    Handler<ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler,
            IID_ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler, HRESULT, LPCWSTR>;
using ProcessFailedHandler =
    Handler<ICoreWebView2ProcessFailedEventHandler, IID_ICoreWebView2ProcessFailedEventHandler, ICoreWebView2*,
            ICoreWebView2ProcessFailedEventArgs*>;
using PermissionRequestedHandler =
    Handler<ICoreWebView2PermissionRequestedEventHandler, IID_ICoreWebView2PermissionRequestedEventHandler,
            ICoreWebView2*, ICoreWebView2PermissionRequestedEventArgs*>;
using ScriptDialogOpeningHandler =
    Handler<ICoreWebView2ScriptDialogOpeningEventHandler, IID_ICoreWebView2ScriptDialogOpeningEventHandler,
            ICoreWebView2*, ICoreWebView2ScriptDialogOpeningEventArgs*>;
using TrySuspendCompletedHandler =
    Handler<ICoreWebView2TrySuspendCompletedHandler, IID_ICoreWebView2TrySuspendCompletedHandler, HRESULT, BOOL>;
using DownloadStartingHandler =
    Handler<ICoreWebView2DownloadStartingEventHandler, IID_ICoreWebView2DownloadStartingEventHandler,
            ICoreWebView2*, ICoreWebView2DownloadStartingEventArgs*>;

using LaunchingExternalUriSchemeHandler =
    Handler<ICoreWebView2LaunchingExternalUriSchemeEventHandler, IID_ICoreWebView2LaunchingExternalUriSchemeEventHandler,
            ICoreWebView2*, ICoreWebView2LaunchingExternalUriSchemeEventArgs*>;
using ScreenCaptureStartingHandler =
    Handler<ICoreWebView2ScreenCaptureStartingEventHandler, IID_ICoreWebView2ScreenCaptureStartingEventHandler,
            ICoreWebView2*, ICoreWebView2ScreenCaptureStartingEventArgs*>;
using BasicAuthenticationRequestedHandler =
    Handler<ICoreWebView2BasicAuthenticationRequestedEventHandler,
            IID_ICoreWebView2BasicAuthenticationRequestedEventHandler, ICoreWebView2*,
            ICoreWebView2BasicAuthenticationRequestedEventArgs*>;
using ClientCertificateRequestedHandler =
    Handler<ICoreWebView2ClientCertificateRequestedEventHandler, IID_ICoreWebView2ClientCertificateRequestedEventHandler,
            ICoreWebView2*, ICoreWebView2ClientCertificateRequestedEventArgs*>;
using ServerCertificateErrorDetectedHandler =
    Handler<ICoreWebView2ServerCertificateErrorDetectedEventHandler,
            IID_ICoreWebView2ServerCertificateErrorDetectedEventHandler, ICoreWebView2*,
            ICoreWebView2ServerCertificateErrorDetectedEventArgs*>;

}  // namespace player::webview2
