#include "player/windows/webview2/webview2_layer.h"

#include "core/shell/status_text.h"
#include "player/win32/system_error.h"
#include "player/win32/wide.h"
#include "player/windows/webview2/browser_overrides.h"
#include "player/windows/webview2/browser_policies.h"
#include "player/windows/webview2/environment_options.h"
#include "player/windows/webview2/handlers.h"
#include "player/windows/webview2/message_pump.h"
#include "player/windows/webview2/webview2_view.h"

namespace player::webview2 {
namespace {

constexpr HRESULT kProfileInUse = HRESULT_FROM_WIN32(ERROR_INVALID_STATE);

// Filled by the runtime's completion handler; shared with it, so a completion that
// arrives after the build gave up writes into memory that still exists.
template <class Interface>
struct Creation {
    bool done = false;
    HRESULT result = E_PENDING;
    win32::com_ptr<Interface> created;
};

// Starts one asynchronous creation of the runtime (start is handed the completion
// handler and returns the call's own result) and waits for its completion; outcome is the
// runtime's failure code, from the call or from the completion.
template <class Interface, class CompletedHandler, class Start>
core::Result<win32::com_ptr<Interface>> await_creation(const std::string& call, const std::string& what,
                                                       Start start, HRESULT& outcome) {
    auto creation = std::make_shared<Creation<Interface>>();
    const auto handler = CompletedHandler::make([creation](HRESULT result, Interface* created) {
        creation->done = true;
        creation->result = result;
        if (created != nullptr) {
            created->AddRef();
            creation->created = win32::com_ptr<Interface>::adopt(created);
        }
        return S_OK;
    });
    const HRESULT started = start(handler.get());
    outcome = started;
    if (FAILED(started)) return std::unexpected(win32::failed_hresult(call, started));
    if (auto waited = pump_messages_until([&] { return creation->done; }, kStartLimit); !waited) {
        return core::fail("WebView2 " + what + " creation did not finish", waited.error());
    }
    outcome = creation->result;
    if (FAILED(creation->result) || !creation->created) {
        return core::fail("WebView2 " + what + " creation failed: " + win32::hresult_text(creation->result));
    }
    return creation->created;
}

// The loader appends a policy's arguments after the program's, so that they win: a "*"
// value meant for another program (a debugging port, another proxy) would reach this
// browser unseen. The other policies choose a runtime and a profile place, which an
// administrator may rightly want; they are only logged.
core::Status check_policies(const std::function<void(std::string_view)>& log) {
    for (const BrowserPolicy& policy : read_browser_policies()) {
        const std::string line = "WebView2 policy " + policy.key + " value " + policy.value_name + ": " + policy.value;
        if (policy.policy == kArgumentsPolicy) {
            return core::fail(std::string(core::kBrowserPolicyRefusal), core::Error(line));
        }
        if (log) log(line);
    }
    return {};
}

core::Result<win32::com_ptr<ICoreWebView2Environment>> create_environment(const Loader& loader,
                                                                         const std::wstring& user_data_folder,
                                                                         const std::wstring& arguments) {
    const auto options = make_environment_options(arguments);
    HRESULT result = S_OK;
    auto created = await_creation<ICoreWebView2Environment, EnvironmentCompletedHandler>(
        "CreateCoreWebView2EnvironmentWithOptions", "environment",
        [&](ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler) {
            return loader.create_environment(nullptr, user_data_folder.c_str(), options.get(), handler);
        },
        result);
    // The runtime's answer when another process uses the profile with other options, or
    // holds it exclusively: no install would help.
    if (!created && result == kProfileInUse) {
        return core::fail(std::string(core::kProfileInUseRefusal), created.error());
    }
    return created;
}

core::Result<win32::com_ptr<ICoreWebView2Controller>> create_controller(ICoreWebView2Environment& environment,
                                                                       HWND parent) {
    HRESULT result = S_OK;
    return await_creation<ICoreWebView2Controller, ControllerCompletedHandler>(
        "CreateCoreWebView2Controller", "controller",
        [&](ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) {
            return environment.CreateCoreWebView2Controller(parent, handler);
        },
        result);
}

}  // namespace

WebView2Layer::WebView2Layer(std::string user_data_folder, std::string loader_folder, std::string browser_arguments)
    : user_data_folder_(std::move(user_data_folder)),
      loader_folder_(std::move(loader_folder)),
      browser_arguments_(std::move(browser_arguments)) {}

core::Result<win32::com_ptr<ICoreWebView2Environment>> WebView2Layer::environment(
    const std::function<void(std::string_view)>& log) {
    if (*environment_) return *environment_;
    if (auto allowed = check_policies(log); !allowed) return std::unexpected(allowed.error());
    if (!loader_) {
        auto folder = win32::to_wide(loader_folder_);
        if (!folder) return std::unexpected(folder.error());
        auto loaded = Loader::load(*folder);
        if (!loaded) return std::unexpected(loaded.error());
        loader_.emplace(std::move(*loaded));
    }
    auto user_data = win32::to_wide(user_data_folder_);
    if (!user_data) return std::unexpected(user_data.error());
    auto arguments = win32::to_wide(browser_arguments_);
    if (!arguments) return std::unexpected(arguments.error());

    remove_browser_overrides();
    auto created = create_environment(*loader_, *user_data, *arguments);
    if (!created) return std::unexpected(created.error());
    *environment_ = *created;
    return *created;
}

core::Result<std::unique_ptr<WebView>> WebView2Layer::create(HWND parent, WebViewConfig config) {
    if (command_line_overrides_browser()) return core::fail(std::string(core::kBrowserSwitchesRefusal));
    const bool kept = static_cast<bool>(*environment_);
    auto environment = this->environment(config.log);
    if (!environment) return std::unexpected(environment.error());
    auto controller = create_controller(**environment, parent);
    if (!controller) {
        // Its browser may be gone, or the runtime updated itself since the environment was
        // made: a new environment is tried once before the build fails.
        *environment_ = {};
        if (!kept) return std::unexpected(controller.error());
        if (config.log) config.log("WebView2 controller creation failed in the kept environment; trying a new one: " +
                                   controller.error().chain());
        environment = this->environment(config.log);
        if (!environment) return std::unexpected(environment.error());
        controller = create_controller(**environment, parent);
        if (!controller) {
            *environment_ = {};
            return std::unexpected(controller.error());
        }
    }
    // Each note once in the layer's life: a runtime without a feature lacks it in every build.
    const NoteOnce note = [noted = noted_, log = config.log](std::string_view line) {
        if (noted->insert(std::string(line)).second && log) log(line);
    };
    // A view may outlive the layer inside the runtime's handlers: it holds the slot, not the layer.
    std::weak_ptr<win32::com_ptr<ICoreWebView2Environment>> slot = environment_;
    return configure_webview(parent, std::move(*environment), std::move(*controller), std::move(config), note,
                             [slot] {
                                 if (const auto held = slot.lock()) *held = {};
                             });
}

}  // namespace player::webview2
