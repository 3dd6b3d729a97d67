#include "player/windows/webview2/webview2_view.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <algorithm>
#include <chrono>
#include <cwchar>
#include <new>
#include <optional>

#include "core/web/asset_url.h"
#include "core/web/bridge_script.h"
#include "core/web/byte_range.h"
#include "core/web/page_message.h"
#include "core/web/page_message_budget.h"
#include "player/win32/system_error.h"
#include "player/win32/unique_resource.h"
#include "player/win32/wide.h"
#include "player/windows/webview2/handlers.h"
#include "player/windows/webview2/message_pump.h"
#include "player/windows/webview2/refused_requests.h"
#include "player/windows/webview2/webview2_layer.h"

namespace player::webview2 {
namespace {

// Every request of the asset origin, from any context (documents, images, media, fetch,
// workers), and of the same host under https. Each one must be answered: an unanswered
// *.localhost request would go on to whatever listens on the machine's port 80 or 443.
constexpr const wchar_t* kAssetRequestFilters[] = {L"http://wlp.localhost/*", L"https://wlp.localhost/*"};
constexpr UINT_PTR kFollowParentSubclass = 1;
// The longest message a page can send that means anything (both are ASCII, so UTF-16
// units and bytes agree).
constexpr std::size_t kLongestPageMessage = std::max(core::kReadyMessage.size(), core::kAssetErrorMessage.size());
// What the view shows before the page's first frame, between pages and under a page
// without a background of its own: the runtime's default is white, a flash over a dark
// desktop at every switch. Opaque, since the host window draws nothing behind the view.
constexpr COREWEBVIEW2_COLOR kViewBackground{255, 0, 0, 0};
// window.print() would put the print preview over the desktop, and no setting turns it
// off: every frame's print does nothing, and a page cannot put it back.
constexpr wchar_t kNoPrintScript[] =
    L"Object.defineProperty(window, 'print', { value: function print() {}, writable: false, configurable: false });";

core::Status check(HRESULT result, std::string_view what) {
    if (SUCCEEDED(result)) return {};
    return std::unexpected(win32::failed_hresult(what, result));
}

// A text the runtime allocated; freed here whatever happens.
std::string take_text(LPWSTR text) {
    const win32::unique_co_task_memory owned(text);
    if (text == nullptr) return {};
    return win32::to_utf8(text).value_or(std::string());
}

std::wstring header_block(const core::AssetResponse& response) {
    std::wstring block;
    for (const core::HttpHeader& header : response.headers()) {
        if (!block.empty()) block += L"\r\n";
        // Header names and values are ASCII.
        block.append(header.name.begin(), header.name.end());
        block += L": ";
        block.append(header.value.begin(), header.value.end());
    }
    if (!response.content_range.empty()) {
        block += L"\r\nContent-Range: ";
        block.append(response.content_range.begin(), response.content_range.end());
    }
    return block;
}

struct AssetRequest {
    std::string url;
    // The Range header's value when the answer may honour it; empty otherwise.
    std::string range;
};

bool has_header(ICoreWebView2HttpRequestHeaders& headers, const wchar_t* name) {
    BOOL has = FALSE;
    return SUCCEEDED(headers.Contains(name, &has)) && has;
}

AssetRequest read_request(ICoreWebView2WebResourceRequestedEventArgs& args) {
    AssetRequest read;
    win32::com_ptr<ICoreWebView2WebResourceRequest> request;
    if (FAILED(args.get_Request(request.put())) || !request) return read;
    LPWSTR uri = nullptr;
    if (SUCCEEDED(request->get_Uri(&uri))) read.url = take_text(uri);
    win32::com_ptr<ICoreWebView2HttpRequestHeaders> headers;
    if (FAILED(request->get_Headers(headers.put())) || !headers || !has_header(*headers, L"Range")) return read;
    LPWSTR method = nullptr;
    const std::string verb = SUCCEEDED(request->get_Method(&method)) ? take_text(method) : std::string();
    LPWSTR range = nullptr;
    if (SUCCEEDED(headers->GetHeader(L"Range", &range))) {
        read.range = core::honoured_range(verb, take_text(range), has_header(*headers, L"If-Range"));
    }
    return read;
}

HRESULT put_response(ICoreWebView2Environment& environment, ICoreWebView2WebResourceRequestedEventArgs& args,
                     const core::AssetResponse& response) {
    win32::com_ptr<IStream> stream;
    if (!response.body.empty()) {
        stream = win32::com_ptr<IStream>::adopt(
            ::SHCreateMemStream(response.body.data(), static_cast<UINT>(response.body.size())));
        if (!stream) return E_OUTOFMEMORY;
    }
    win32::com_ptr<ICoreWebView2WebResourceResponse> answer;
    const std::string_view phrase = core::reason_phrase(response.status);
    const std::wstring reason(phrase.begin(), phrase.end());
    const HRESULT created = environment.CreateWebResourceResponse(stream.get(), response.status, reason.c_str(),
                                                                  header_block(response).c_str(), answer.put());
    if (FAILED(created)) return created;
    return args.put_Response(answer.get());
}

// Answers every request, whatever fails on the way: an unreadable request is refused by
// the handler, and an answer that cannot be made (no memory for a large asset's stream,
// for one) becomes the empty 404, noticed and logged with its cause. Nothing thrown may
// reach the runtime, which would then let the request go on to the network.
HRESULT answer_request(ICoreWebView2Environment& environment, const WebViewConfig& config,
                       ICoreWebView2WebResourceRequestedEventArgs& args) {
    std::string url;
    std::string cause = "the answer could not be made";
    try {
        const AssetRequest request = read_request(args);
        url = request.url;
        const HRESULT answered = put_response(environment, args, config.serve_asset(url, request.range));
        if (SUCCEEDED(answered)) return S_OK;
        cause += ": " + win32::hresult_text(answered);
    } catch (const std::bad_alloc&) {
        cause += ": out of memory";
    } catch (...) {
    }
    try {
        return put_response(environment, args, config.refuse_unanswered(url, cause));
    } catch (...) {
    }
    win32::com_ptr<ICoreWebView2WebResourceResponse> bare;
    const HRESULT created =
        environment.CreateWebResourceResponse(nullptr, core::kHttpNotFound, L"Not Found", L"Content-Length: 0", bare.put());
    return FAILED(created) ? created : args.put_Response(bare.get());
}

// What a process failure means for the page, or nothing for helper processes that the
// browser replaces on its own.
std::optional<std::string_view> page_process_failure(COREWEBVIEW2_PROCESS_FAILED_KIND kind) {
    switch (kind) {
        case COREWEBVIEW2_PROCESS_FAILED_KIND_BROWSER_PROCESS_EXITED:
            return "browser process exited";
        case COREWEBVIEW2_PROCESS_FAILED_KIND_RENDER_PROCESS_EXITED:
            return "render process exited";
        case COREWEBVIEW2_PROCESS_FAILED_KIND_RENDER_PROCESS_UNRESPONSIVE:
            return "render process unresponsive";
        default:
            return std::nullopt;
    }
}

// The WebView fills the host's client area, follows it when the host is resized and
// learns when it moves.
LRESULT CALLBACK follow_parent_size(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                    DWORD_PTR data) {
    auto* controller = reinterpret_cast<ICoreWebView2Controller*>(data);
    if (message == WM_SIZE) {
        RECT client{};
        if (::GetClientRect(window, &client)) controller->put_Bounds(client);
    } else if (message == WM_MOVE) {
        // Drop-downs and input-method windows of the page are placed in screen
        // coordinates and must follow a window that moved.
        controller->NotifyParentWindowPositionChanged();
    } else if (message == WM_NCDESTROY) {
        ::RemoveWindowSubclass(window, follow_parent_size, id);
    }
    return ::DefSubclassProc(window, message, wparam, lparam);
}

class WebView2View final : public WebView {
public:
    WebView2View(HWND parent, win32::com_ptr<ICoreWebView2Controller> controller, win32::com_ptr<ICoreWebView2> webview,
                 std::function<void(std::string_view)> log)
        : parent_(parent),
          controller_(std::move(controller)),
          webview_(std::move(webview)),
          suspendable_(webview_.query<ICoreWebView2_3>(IID_ICoreWebView2_3)),
          log_(std::move(log)) {}
    WebView2View(const WebView2View&) = delete;
    WebView2View& operator=(const WebView2View&) = delete;

    ~WebView2View() override {
        if (following_) ::RemoveWindowSubclass(parent_, follow_parent_size, kFollowParentSubclass);
        // Closing releases every handler, and with them the configuration they share.
        controller_->Close();
    }

    core::Status follow_parent() {
        following_ = ::SetWindowSubclass(parent_, follow_parent_size, kFollowParentSubclass,
                                         reinterpret_cast<DWORD_PTR>(controller_.get()));
        if (!following_) return core::fail("cannot follow the host window's size");
        return {};
    }

    core::Status set_bounds(const RECT& bounds) override {
        return check(controller_->put_Bounds(bounds), "setting the WebView bounds");
    }

    core::Status execute_script(std::string_view script) override {
        auto wide = win32::to_wide(script);
        if (!wide) return std::unexpected(wide.error());
        return check(webview_->ExecuteScript(wide->c_str(), nullptr), "ExecuteScript");
    }

    // The runtime's reference: a view must be invisible before TrySuspend, which then
    // freezes its script and timers and lowers its processes' memory; a suspended view is
    // resumed explicitly before it is shown again.
    core::Status set_unseen(bool unseen) override {
        if (unseen == unseen_) return {};
        unseen_ = unseen;
        if (unseen) {
            if (auto hidden = check(controller_->put_IsVisible(FALSE), "put_IsVisible"); !hidden) return hidden;
            // Best effort: the runtime declines a busy page (one playing audio, for one), which
            // then stays hidden only.
            if (!suspendable_) return {};
            const auto done = TrySuspendCompletedHandler::make([](HRESULT, BOOL) { return S_OK; });
            return check(suspendable_->TrySuspend(done.get()), "TrySuspend");
        }
        // A view that cannot be resumed is shown all the same (showing resumes it, in the
        // reference): a hidden one would stay hidden until the page is built anew.
        const core::Status resumed = suspendable_ ? check(suspendable_->Resume(), "Resume") : core::Status();
        const core::Status shown = check(controller_->put_IsVisible(TRUE), "put_IsVisible");
        if (!resumed && log_) log_("the WebView could not be resumed; shown all the same: " + resumed.error().chain());
        return shown;
    }

private:
    HWND parent_;
    win32::com_ptr<ICoreWebView2Controller> controller_;
    win32::com_ptr<ICoreWebView2> webview_;
    // Null on runtimes before suspension: the view is then only hidden.
    win32::com_ptr<ICoreWebView2_3> suspendable_;
    std::function<void(std::string_view)> log_;
    bool following_ = false;
    bool unseen_ = false;
};

// Nothing of the page may put a prompt over the desktop, save what is typed or react to
// touch gestures; settings newer than the runtime are noted and gone without.
core::Status apply_quiet_settings(const win32::com_ptr<ICoreWebView2Settings>& settings, const NoteOnce& note) {
    if (auto set = check(settings->put_AreDefaultScriptDialogsEnabled(FALSE), "put_AreDefaultScriptDialogsEnabled");
        !set) {
        return set;
    }
    if (const auto forms = settings.query<ICoreWebView2Settings4>(IID_ICoreWebView2Settings4)) {
        if (auto set = check(forms->put_IsPasswordAutosaveEnabled(FALSE), "put_IsPasswordAutosaveEnabled"); !set) {
            return set;
        }
        if (auto set = check(forms->put_IsGeneralAutofillEnabled(FALSE), "put_IsGeneralAutofillEnabled"); !set) {
            return set;
        }
    } else {
        note("the WebView2 runtime lacks autofill settings; going on without them");
    }
    if (const auto pinch = settings.query<ICoreWebView2Settings5>(IID_ICoreWebView2Settings5)) {
        if (auto set = check(pinch->put_IsPinchZoomEnabled(FALSE), "put_IsPinchZoomEnabled"); !set) return set;
    } else {
        note("the WebView2 runtime lacks the pinch zoom setting; going on without it");
    }
    if (const auto swipe = settings.query<ICoreWebView2Settings6>(IID_ICoreWebView2Settings6)) {
        if (auto set = check(swipe->put_IsSwipeNavigationEnabled(FALSE), "put_IsSwipeNavigationEnabled"); !set) {
            return set;
        }
    } else {
        note("the WebView2 runtime lacks the swipe navigation setting; going on without it");
    }
    return {};
}

core::Status apply_settings(ICoreWebView2& webview, const NoteOnce& note) {
    win32::com_ptr<ICoreWebView2Settings> settings;
    if (auto got = check(webview.get_Settings(settings.put()), "get_Settings"); !got) return got;
    if (auto quiet = apply_quiet_settings(settings, note); !quiet) return quiet;
    if (auto set = check(settings->put_AreDevToolsEnabled(FALSE), "put_AreDevToolsEnabled"); !set) return set;
    if (auto set = check(settings->put_AreDefaultContextMenusEnabled(FALSE), "put_AreDefaultContextMenusEnabled");
        !set) {
        return set;
    }
    if (auto set = check(settings->put_IsZoomControlEnabled(FALSE), "put_IsZoomControlEnabled"); !set) return set;
    if (auto set = check(settings->put_IsStatusBarEnabled(FALSE), "put_IsStatusBarEnabled"); !set) return set;
    // SmartScreen would send the addresses the page navigates to (its own files) to its service.
    if (const auto reputation = settings.query<ICoreWebView2Settings8>(IID_ICoreWebView2Settings8)) {
        if (auto set = check(reputation->put_IsReputationCheckingRequired(FALSE), "put_IsReputationCheckingRequired");
            !set) {
            return set;
        }
    } else {
        note("the WebView2 runtime lacks the reputation checking setting; going on without it");
    }
    const auto keys = settings.query<ICoreWebView2Settings3>(IID_ICoreWebView2Settings3);
    if (!keys) return core::fail("the WebView2 runtime lacks browser accelerator key settings");
    return check(keys->put_AreBrowserAcceleratorKeysEnabled(FALSE), "put_AreBrowserAcceleratorKeysEnabled");
}

core::Status add_handlers(ICoreWebView2& webview, const win32::com_ptr<ICoreWebView2Environment>& environment,
                          const std::shared_ptr<const WebViewConfig>& config,
                          const std::function<void()>& forget_environment) {
    EventRegistrationToken token{};
    // Registered before the first navigation, so the entry page itself is served.
    for (const wchar_t* filter : kAssetRequestFilters) {
        if (auto added = check(webview.AddWebResourceRequestedFilter(filter, COREWEBVIEW2_WEB_RESOURCE_CONTEXT_ALL),
                               "AddWebResourceRequestedFilter");
            !added) {
            return added;
        }
    }
    const auto resources = WebResourceRequestedHandler::make(
        [environment, config](ICoreWebView2*, ICoreWebView2WebResourceRequestedEventArgs* args) {
            return answer_request(*environment, *config, *args);
        });
    if (auto added = check(webview.add_WebResourceRequested(resources.get(), &token), "add_WebResourceRequested");
        !added) {
        return added;
    }

    const auto navigation = NavigationStartingHandler::make(
        [config](ICoreWebView2* sender, ICoreWebView2NavigationStartingEventArgs* args) {
            LPWSTR uri = nullptr;
            const std::string url = SUCCEEDED(args->get_Uri(&uri)) ? take_text(uri) : std::string();
            if (!config->allow_navigation(url)) return args->put_Cancel(TRUE);
            // The browser knows no "wlp" scheme: the page goes to the same path on the
            // asset origin instead.
            if (url.starts_with(core::kCanonicalAssetPrefix)) {
                args->put_Cancel(TRUE);
                const auto mapped = win32::to_wide(core::webview_url(url));
                if (mapped) sender->Navigate(mapped->c_str());
            }
            return S_OK;
        });
    if (auto added = check(webview.add_NavigationStarting(navigation.get(), &token), "add_NavigationStarting");
        !added) {
        return added;
    }
    const auto frame_navigation = NavigationStartingHandler::make(
        [config](ICoreWebView2*, ICoreWebView2NavigationStartingEventArgs* args) {
            LPWSTR uri = nullptr;
            const std::string url = SUCCEEDED(args->get_Uri(&uri)) ? take_text(uri) : std::string();
            if (!config->allow_navigation(url) || url.starts_with(core::kCanonicalAssetPrefix)) {
                return args->put_Cancel(TRUE);
            }
            return S_OK;
        });
    if (auto added = check(webview.add_FrameNavigationStarting(frame_navigation.get(), &token),
                           "add_FrameNavigationStarting");
        !added) {
        return added;
    }

    // Handled without a new window: nothing opens.
    const auto new_window = NewWindowRequestedHandler::make(
        [](ICoreWebView2*, ICoreWebView2NewWindowRequestedEventArgs* args) { return args->put_Handled(TRUE); });
    if (auto added = check(webview.add_NewWindowRequested(new_window.get(), &token), "add_NewWindowRequested");
        !added) {
        return added;
    }

    // Microphone, camera, location, notifications, clipboard and the rest: refused without
    // asking anybody.
    const auto permissions = PermissionRequestedHandler::make(
        [](ICoreWebView2*, ICoreWebView2PermissionRequestedEventArgs* args) {
            return args->put_State(COREWEBVIEW2_PERMISSION_STATE_DENY);
        });
    if (auto added = check(webview.add_PermissionRequested(permissions.get(), &token), "add_PermissionRequested");
        !added) {
        return added;
    }
    // With the default dialogs off, a dialog nobody accepts is dismissed: alert() returns,
    // confirm() gives false, prompt() null. A dismissed beforeunload cancels the navigation,
    // so that one is accepted: nothing of the page may block its reload or close.
    const auto dialogs = ScriptDialogOpeningHandler::make(
        [](ICoreWebView2*, ICoreWebView2ScriptDialogOpeningEventArgs* args) {
            COREWEBVIEW2_SCRIPT_DIALOG_KIND kind{};
            if (SUCCEEDED(args->get_Kind(&kind)) && kind == COREWEBVIEW2_SCRIPT_DIALOG_KIND_BEFOREUNLOAD) {
                return args->Accept();
            }
            return S_OK;
        });
    if (auto added = check(webview.add_ScriptDialogOpening(dialogs.get(), &token), "add_ScriptDialogOpening");
        !added) {
        return added;
    }

    win32::com_ptr<ICoreWebView2_4> downloads_view;
    webview.QueryInterface(IID_ICoreWebView2_4, reinterpret_cast<void**>(downloads_view.put()));
    if (!downloads_view) return core::fail("the WebView2 runtime cannot refuse downloads");
    const auto downloads = DownloadStartingHandler::make(
        [](ICoreWebView2*, ICoreWebView2DownloadStartingEventArgs* args) { return args->put_Cancel(TRUE); });
    if (auto added = check(downloads_view->add_DownloadStarting(downloads.get(), &token), "add_DownloadStarting");
        !added) {
        return added;
    }

    // The handler takes itself off a page that floods, so that the UI thread no longer
    // pays for what the page posts.
    struct Listening {
        core::PageMessageBudget budget;
        EventRegistrationToken token{};
    };
    const auto listening = std::make_shared<Listening>();
    const auto messages = WebMessageReceivedHandler::make(
        [config, listening](ICoreWebView2* sender, ICoreWebView2WebMessageReceivedEventArgs* args) {
            if (listening->budget.exhausted()) return S_OK;
            LPWSTR text = nullptr;
            std::size_t length = 0;
            // Only strings count; window.ipc posts nothing else. Anything else is charged by
            // the length of its JSON form.
            const bool is_string = SUCCEEDED(args->TryGetWebMessageAsString(&text));
            const win32::unique_co_task_memory owned_text(text);
            if (is_string) {
                length = text == nullptr ? 0 : std::wcslen(text);
            } else if (LPWSTR json = nullptr; SUCCEEDED(args->get_WebMessageAsJson(&json))) {
                const win32::unique_co_task_memory owned_json(json);
                length = json == nullptr ? 0 : std::wcslen(json);
            }
            const bool within = listening->budget.spend(length, std::chrono::steady_clock::now());
            // No message the player knows is longer; a page's megabytes are not even converted.
            if (is_string && within && length <= kLongestPageMessage) {
                if (const auto message = win32::to_utf8(std::wstring_view(text == nullptr ? L"" : text, length))) {
                    config->on_page_message(*message);
                }
            }
            if (!within) {
                if (sender != nullptr) sender->remove_WebMessageReceived(listening->token);
                if (config->on_page_flood) config->on_page_flood();
            }
            return S_OK;
        });
    if (auto added = check(webview.add_WebMessageReceived(messages.get(), &listening->token), "add_WebMessageReceived");
        !added) {
        return added;
    }

    const auto failures = ProcessFailedHandler::make(
        [config, forget_environment](ICoreWebView2*, ICoreWebView2ProcessFailedEventArgs* args) {
            COREWEBVIEW2_PROCESS_FAILED_KIND kind{};
            if (FAILED(args->get_ProcessFailedKind(&kind))) return S_OK;
            const auto failure = page_process_failure(kind);
            if (!failure) return S_OK;
            // A browser that exited takes its environment with it; the next build needs a new one.
            if (kind == COREWEBVIEW2_PROCESS_FAILED_KIND_BROWSER_PROCESS_EXITED && forget_environment) {
                forget_environment();
            }
            if (config->on_process_failed) config->on_process_failed(*failure);
            return S_OK;
        });
    return check(webview.add_ProcessFailed(failures.get(), &token), "add_ProcessFailed");
}

// Adds one document-creation script and waits until the runtime has taken it: a
// navigation started before that may load its document without the script.
core::Status add_document_script(ICoreWebView2& webview, const std::wstring& script) {
    auto result = std::make_shared<std::optional<HRESULT>>();
    const auto completed = AddScriptCompletedHandler::make([result](HRESULT added, LPCWSTR) {
        *result = added;
        return S_OK;
    });
    if (auto started = check(webview.AddScriptToExecuteOnDocumentCreated(script.c_str(), completed.get()),
                             "AddScriptToExecuteOnDocumentCreated");
        !started) {
        return started;
    }
    if (auto waited = pump_messages_until([&] { return result->has_value(); }, kStartLimit); !waited) {
        return core::fail("AddScriptToExecuteOnDocumentCreated did not complete", waited.error());
    }
    return check(**result, "AddScriptToExecuteOnDocumentCreated");
}

}  // namespace

core::Result<std::unique_ptr<WebView>> configure_webview(HWND parent,
                                                        win32::com_ptr<ICoreWebView2Environment> environment,
                                                        win32::com_ptr<ICoreWebView2Controller> controller,
                                                        WebViewConfig config, const NoteOnce& note,
                                                        std::function<void()> forget_environment) {
    win32::com_ptr<ICoreWebView2> webview;
    if (auto got = check(controller->get_CoreWebView2(webview.put()), "get_CoreWebView2"); !got) {
        controller->Close();
        return std::unexpected(got.error());
    }
    // From here on the view owns the controller and closes it on every path.
    auto view = std::make_unique<WebView2View>(parent, controller, webview, config.log);
    const auto shared = std::make_shared<const WebViewConfig>(std::move(config));

    if (auto applied = apply_settings(*webview, note); !applied) return std::unexpected(applied.error());
    if (auto added = add_handlers(*webview, environment, shared, forget_environment); !added) {
        return std::unexpected(added.error());
    }
    if (auto refused = refuse_outside_requests(*webview, note); !refused) return std::unexpected(refused.error());
    if (auto added = add_document_script(*webview, kNoPrintScript); !added) return std::unexpected(added.error());
    for (const std::string& script : shared->main_frame_scripts) {
        auto wide = win32::to_wide(core::main_frame_only(script));
        if (!wide) return std::unexpected(wide.error());
        if (auto added = add_document_script(*webview, *wide); !added) return std::unexpected(added.error());
    }

    // Before the view is shown and navigates: its first frame is already this colour.
    if (const auto coloured = controller.query<ICoreWebView2Controller2>(IID_ICoreWebView2Controller2)) {
        if (auto set = check(coloured->put_DefaultBackgroundColor(kViewBackground), "put_DefaultBackgroundColor");
            !set) {
            return std::unexpected(set.error());
        }
    } else {
        note("the WebView2 runtime cannot set the view's background; it shows white until the page draws");
    }

    RECT client{};
    ::GetClientRect(parent, &client);
    if (auto placed = view->set_bounds(client); !placed) return std::unexpected(placed.error());
    if (auto shown = check(controller->put_IsVisible(TRUE), "put_IsVisible"); !shown) {
        return std::unexpected(shown.error());
    }
    if (auto following = view->follow_parent(); !following) return std::unexpected(following.error());

    // Silent from its first sound: muted before the navigation starts.
    if (const auto mutable_view = webview.query<ICoreWebView2_8>(IID_ICoreWebView2_8)) {
        if (auto muted = check(mutable_view->put_IsMuted(TRUE), "put_IsMuted"); !muted) {
            return std::unexpected(muted.error());
        }
    } else {
        note("the WebView2 runtime cannot mute the page; it plays with sound");
    }

    auto start = win32::to_wide(core::webview_url(shared->start_url));
    if (!start) return std::unexpected(start.error());
    if (auto navigated = check(webview->Navigate(start->c_str()), "Navigate"); !navigated) {
        return std::unexpected(navigated.error());
    }
    return view;
}

}  // namespace player::webview2
