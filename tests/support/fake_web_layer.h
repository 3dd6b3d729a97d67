#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/error/error.h"
#include "core/web/asset_protocol.h"
#include "player/windows/web_layer.h"

namespace test {

// One page created through the fake layer: what the build asked for, and the means to
// play the page's part. It outlives its WebView so that a test can still look at it, and
// a destroyed page delivers nothing more.
class FakePage {
public:
    FakePage(HWND parent, player::WebViewConfig config) : parent_(parent), config_(std::move(config)) {}

    HWND parent() const { return parent_; }
    const player::WebViewConfig& config() const { return config_; }
    bool destroyed() const { return destroyed_; }
    // Whether the host window still existed when the WebView went: it must go first.
    bool parent_alive_at_close() const { return parent_alive_at_close_; }
    const std::vector<std::string>& executed_scripts() const { return scripts_; }
    const std::vector<RECT>& bounds() const { return bounds_; }

    // The page posts a string through window.ipc; false when the page is gone.
    bool post_message(std::string_view message);
    // A request of the asset origin, answered by the build's real handler.
    core::AssetResponse request(std::string_view url);
    // The navigation to the start URL in the form the WebView sees it.
    core::AssetResponse load();
    // Whether the WebView would let the page navigate there.
    bool may_navigate(std::string_view url) const;

    // Makes later execute_script calls fail with this error.
    void refuse_scripts(core::Error error) { script_failure_ = std::move(error); }

private:
    friend class FakeWebView;
    HWND parent_;
    player::WebViewConfig config_;
    bool destroyed_ = false;
    bool parent_alive_at_close_ = false;
    std::vector<std::string> scripts_;
    std::vector<RECT> bounds_;
    std::optional<core::Error> script_failure_;
};

// A scriptable stand-in for the browser, for tests only: it never starts a browser but
// keeps every page it "created".
class FakeWebLayer final : public player::WebLayer {
public:
    core::Result<std::unique_ptr<player::WebView>> create(HWND parent, player::WebViewConfig config) override;

    // Makes the next creations fail with this error until cleared.
    void fail_creation(std::optional<core::Error> error) { creation_failure_ = std::move(error); }

    const std::vector<std::shared_ptr<FakePage>>& pages() const { return pages_; }
    // The most recent page, or null before the first creation.
    FakePage* last_page() const { return pages_.empty() ? nullptr : pages_.back().get(); }
    // Lets go of the pages whose WebView is gone, for a program that runs for long.
    void forget_destroyed_pages();

private:
    std::vector<std::shared_ptr<FakePage>> pages_;
    std::optional<core::Error> creation_failure_;
};

}  // namespace test
