#include "environment.h"

#include <chrono>
#include <cstdio>

namespace standin {
namespace {

const HRESULT kClosed = HRESULT_FROM_WIN32(ERROR_INVALID_STATE);

}  // namespace

HRESULT Controller::get_IsVisible(BOOL* visible) {
    if (visible == nullptr) return E_POINTER;
    *visible = visible_;
    return S_OK;
}

HRESULT Controller::put_IsVisible(BOOL visible) {
    if (closed_) return kClosed;
    visible_ = visible;
    channel_.record(std::string("call put_IsVisible ") + (visible ? "TRUE" : "FALSE"));
    view_->set_visible(visible != FALSE);
    if (surface_) surface_->set_visible(visible != FALSE);
    return S_OK;
}

HRESULT Controller::get_Bounds(RECT* bounds) {
    if (bounds == nullptr) return E_POINTER;
    *bounds = bounds_;
    return S_OK;
}

HRESULT Controller::put_Bounds(RECT bounds) {
    if (closed_) return kClosed;
    bounds_ = bounds;
    const long width = bounds.right - bounds.left;
    const long height = bounds.bottom - bounds.top;
    channel_.record("call put_Bounds " + std::to_string(bounds.left) + "," + std::to_string(bounds.top) + " " +
                    std::to_string(width) + "x" + std::to_string(height));
    channel_.send("\"op\":\"bounds\",\"view\":" + std::to_string(view_->id()) + ",\"width\":" + std::to_string(width) +
                  ",\"height\":" + std::to_string(height));
    if (surface_) surface_->set_bounds(bounds);
    return S_OK;
}

HRESULT Controller::get_ParentWindow(HWND* parent) {
    if (parent == nullptr) return E_POINTER;
    *parent = parent_;
    return S_OK;
}

HRESULT Controller::put_ParentWindow(HWND parent) {
    if (closed_) return kClosed;
    parent_ = parent;
    channel_.record("call put_ParentWindow");
    if (surface_) surface_->set_parent(parent);
    return S_OK;
}

HRESULT Controller::NotifyParentWindowPositionChanged() {
    if (closed_) return kClosed;
    channel_.record("call NotifyParentWindowPositionChanged");
    return S_OK;
}

HRESULT Controller::Close() {
    if (closed_) return S_OK;
    channel_.record("call Close");
    closed_ = true;
    if (surface_) surface_->close();
    view_->close();
    return S_OK;
}

HRESULT Controller::get_CoreWebView2(ICoreWebView2** webview) {
    if (webview == nullptr) return E_POINTER;
    if (closed_) return kClosed;
    view_->AddRef();
    *webview = static_cast<ICoreWebView2*>(view_.get());
    return S_OK;
}

HRESULT Controller::get_DefaultBackgroundColor(COREWEBVIEW2_COLOR* color) {
    if (color == nullptr) return E_POINTER;
    *color = background_;
    return S_OK;
}

// The reference: only fully opaque or fully transparent colours are taken.
HRESULT Controller::put_DefaultBackgroundColor(COREWEBVIEW2_COLOR color) {
    if (closed_) return kClosed;
    char text[64];
    std::snprintf(text, sizeof text, "call put_DefaultBackgroundColor %02x%02x%02x alpha %u", color.R, color.G, color.B,
                  color.A);
    channel_.record(text);
    if (color.A != 0 && color.A != 255) return E_INVALIDARG;
    background_ = color;
    channel_.send("\"op\":\"background\",\"view\":" + std::to_string(view_->id()) + ",\"r\":" +
                  std::to_string(color.R) + ",\"g\":" + std::to_string(color.G) + ",\"b\":" +
                  std::to_string(color.B) + ",\"a\":" + std::to_string(color.A));
    if (surface_) surface_->set_background(color);
    return S_OK;
}

HRESULT Environment::CreateCoreWebView2Controller(HWND parent,
                                                  ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) {
    if (handler == nullptr) return E_POINTER;
    channel_.record("call CreateCoreWebView2Controller");
    if (!::IsWindow(parent)) return E_INVALIDARG;
    auto completion = Ref<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler>::share(handler);
    const Config& config = channel_.config();
    if (config.controller_result && controllers_created_ >= config.controller_result_after) {
        const HRESULT failure = *config.controller_result;
        channel_.record("fault: controller creation completes with " + hresult_text(failure));
        channel_.post([completion, failure] { completion->Invoke(failure, nullptr); });
        return S_OK;
    }
    ++controllers_created_;
    const int id = channel_.next_view();
    auto view = Ref<WebView>::adopt(new WebView(channel_, id));
    Channel* channel = &channel_;
    auto surface = Surface::create(channel_, parent, id);
    channel_.set_sink(id, [view, surface](const rapidjson::Value& event) {
        if (!(surface && surface->on_event(event))) view->on_event(event);
    });
    const auto asked = std::chrono::steady_clock::now();
    channel_.send("\"op\":\"createView\",\"view\":" + std::to_string(id),
                  [channel, parent, view, surface, completion, asked](const rapidjson::Value& reply) {
                      channel->timing.controller_ms +=
                          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - asked).count();
                      if (!(reply.HasMember("ok") && reply["ok"].GetBool())) {
                          channel->record("event controller creation failed");
                          if (surface) surface->close();
                          view->close();
                          completion->Invoke(E_FAIL, nullptr);
                          return;
                      }
                      auto controller = Ref<Controller>::adopt(new Controller(*channel, parent, view, surface));
                      channel->record("event controller created");
                      completion->Invoke(S_OK, controller.get());
                  });
    return S_OK;
}

HRESULT Environment::CreateWebResourceResponse(IStream* content, int status, LPCWSTR reason, LPCWSTR headers,
                                               ICoreWebView2WebResourceResponse** response) {
    if (response == nullptr) return E_POINTER;
    const auto limit = channel_.config().response_limit_bytes;
    STATSTG about{};
    if (limit && content != nullptr && SUCCEEDED(content->Stat(&about, STATFLAG_NONAME)) &&
        about.cbSize.QuadPart > static_cast<ULONGLONG>(*limit)) {
        channel_.record("fault: CreateWebResourceResponse fails for " + std::to_string(about.cbSize.QuadPart) +
                        " bytes");
        *response = nullptr;
        return E_OUTOFMEMORY;
    }
    *response = new Response(content, status, reason == nullptr ? L"" : reason, headers == nullptr ? L"" : headers);
    return S_OK;
}

HRESULT Environment::get_BrowserVersionString(LPWSTR* version) { return copy_text(L"131.0.2903.40 (stand-in)", version); }

}  // namespace standin
