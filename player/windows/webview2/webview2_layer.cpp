#include "player/windows/webview2/webview2_layer.h"

#include "player/win32/wide.h"
#include "player/windows/webview2/environment_options.h"
#include "player/windows/webview2/handlers.h"
#include "player/windows/webview2/message_pump.h"
#include "player/windows/webview2/webview2_view.h"

namespace player::webview2 {
namespace {

// Filled by the runtime's completion handlers; shared with them, so a completion that
// arrives after the build gave up writes into memory that still exists.
struct Creation {
    bool done = false;
    HRESULT result = E_PENDING;
    win32::com_ptr<ICoreWebView2Environment> environment;
    win32::com_ptr<ICoreWebView2Controller> controller;
};

core::Result<win32::com_ptr<ICoreWebView2Environment>> create_environment(const Loader& loader,
                                                                         const std::wstring& user_data_folder,
                                                                         const std::wstring& arguments) {
    auto creation = std::make_shared<Creation>();
    const auto handler = EnvironmentCompletedHandler::make([creation](HRESULT result, ICoreWebView2Environment* created) {
        creation->done = true;
        creation->result = result;
        if (created != nullptr) {
            created->AddRef();
            creation->environment = win32::com_ptr<ICoreWebView2Environment>::adopt(created);
        }
        return S_OK;
    });
    const auto options = make_environment_options(arguments);
    const HRESULT started = loader.create_environment(nullptr, user_data_folder.c_str(), options.get(), handler.get());
    if (FAILED(started)) {
        return core::fail("CreateCoreWebView2EnvironmentWithOptions failed: " + hresult_text(started));
    }
    if (auto waited = pump_messages_until([&] { return creation->done; }, kStartLimit); !waited) {
        return core::fail("WebView2 environment creation did not finish", waited.error());
    }
    if (FAILED(creation->result) || !creation->environment) {
        return core::fail("WebView2 environment creation failed: " + hresult_text(creation->result));
    }
    return creation->environment;
}

core::Result<win32::com_ptr<ICoreWebView2Controller>> create_controller(ICoreWebView2Environment& environment,
                                                                       HWND parent) {
    auto creation = std::make_shared<Creation>();
    const auto handler = ControllerCompletedHandler::make([creation](HRESULT result, ICoreWebView2Controller* created) {
        creation->done = true;
        creation->result = result;
        if (created != nullptr) {
            created->AddRef();
            creation->controller = win32::com_ptr<ICoreWebView2Controller>::adopt(created);
        }
        return S_OK;
    });
    const HRESULT started = environment.CreateCoreWebView2Controller(parent, handler.get());
    if (FAILED(started)) return core::fail("CreateCoreWebView2Controller failed: " + hresult_text(started));
    if (auto waited = pump_messages_until([&] { return creation->done; }, kStartLimit); !waited) {
        return core::fail("WebView2 controller creation did not finish", waited.error());
    }
    if (FAILED(creation->result) || !creation->controller) {
        return core::fail("WebView2 controller creation failed: " + hresult_text(creation->result));
    }
    return creation->controller;
}

}  // namespace

WebView2Layer::WebView2Layer(std::string user_data_folder, std::string loader_folder, std::string browser_arguments)
    : user_data_folder_(std::move(user_data_folder)),
      loader_folder_(std::move(loader_folder)),
      browser_arguments_(std::move(browser_arguments)) {}

core::Result<std::unique_ptr<WebView>> WebView2Layer::create(HWND parent, WebViewConfig config) {
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

    auto environment = create_environment(*loader_, *user_data, *arguments);
    if (!environment) return std::unexpected(environment.error());
    auto controller = create_controller(**environment, parent);
    if (!controller) return std::unexpected(controller.error());
    return configure_webview(parent, std::move(*environment), std::move(*controller), std::move(config));
}

}  // namespace player::webview2
