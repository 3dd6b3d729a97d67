#pragma once

#include <memory>

#include "channel.h"
#include "com.h"
#include "stubs.h"
#include "surface.h"
#include "view.h"

namespace standin {

class Controller final : public Com<ICoreWebView2Controller2Stub> {
public:
    Controller(Channel& channel, HWND parent, Ref<WebView> view, std::shared_ptr<Surface> surface)
        : Com({IID_ICoreWebView2Controller, IID_ICoreWebView2Controller2}),
          channel_(channel),
          parent_(parent),
          view_(std::move(view)),
          surface_(std::move(surface)) {}

    HRESULT STDMETHODCALLTYPE get_IsVisible(BOOL* visible) override;
    HRESULT STDMETHODCALLTYPE put_IsVisible(BOOL visible) override;
    HRESULT STDMETHODCALLTYPE get_Bounds(RECT* bounds) override;
    HRESULT STDMETHODCALLTYPE put_Bounds(RECT bounds) override;
    HRESULT STDMETHODCALLTYPE get_ParentWindow(HWND* parent) override;
    HRESULT STDMETHODCALLTYPE put_ParentWindow(HWND parent) override;
    HRESULT STDMETHODCALLTYPE NotifyParentWindowPositionChanged() override;
    HRESULT STDMETHODCALLTYPE Close() override;
    HRESULT STDMETHODCALLTYPE get_CoreWebView2(ICoreWebView2** webview) override;
    HRESULT STDMETHODCALLTYPE get_DefaultBackgroundColor(COREWEBVIEW2_COLOR* color) override;
    HRESULT STDMETHODCALLTYPE put_DefaultBackgroundColor(COREWEBVIEW2_COLOR color) override;

private:
    Channel& channel_;
    HWND parent_;
    Ref<WebView> view_;
    std::shared_ptr<Surface> surface_;  // null unless the stand-in paints
    RECT bounds_{};
    BOOL visible_ = TRUE;
    bool closed_ = false;
    // White unless the host sets another, as the reference gives it.
    COREWEBVIEW2_COLOR background_{255, 255, 255, 255};
};

class Environment final : public Com<ICoreWebView2EnvironmentStub> {
public:
    explicit Environment(Channel& channel) : Com({IID_ICoreWebView2Environment}), channel_(channel) {}

    HRESULT STDMETHODCALLTYPE CreateCoreWebView2Controller(
        HWND parent, ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) override;
    HRESULT STDMETHODCALLTYPE CreateWebResourceResponse(IStream* content, int status, LPCWSTR reason, LPCWSTR headers,
                                                        ICoreWebView2WebResourceResponse** response) override;
    HRESULT STDMETHODCALLTYPE get_BrowserVersionString(LPWSTR* version) override;

private:
    Channel& channel_;
    int controllers_created_ = 0;
};

}  // namespace standin
