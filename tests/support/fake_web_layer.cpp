#include "fake_web_layer.h"

#include "core/web/asset_url.h"

namespace test {

class FakeWebView final : public player::WebView {
public:
    explicit FakeWebView(std::shared_ptr<FakePage> page) : page_(std::move(page)) {}
    ~FakeWebView() override {
        page_->destroyed_ = true;
        page_->parent_alive_at_close_ = ::IsWindow(page_->parent_) != FALSE;
    }

    core::Status set_bounds(const RECT& bounds) override {
        page_->bounds_.push_back(bounds);
        return {};
    }

    core::Status execute_script(std::string_view script) override {
        if (page_->script_failure_) return std::unexpected(*page_->script_failure_);
        page_->scripts_.emplace_back(script);
        return {};
    }

private:
    std::shared_ptr<FakePage> page_;
};

bool FakePage::post_message(std::string_view message) {
    if (destroyed_) return false;
    config_.on_page_message(message);
    return true;
}

core::AssetResponse FakePage::request(std::string_view url) { return config_.serve_asset(url, {}); }

core::AssetResponse FakePage::load() { return request(core::webview_url(config_.start_url)); }

bool FakePage::may_navigate(std::string_view url) const { return config_.allow_navigation(url); }

core::Result<std::unique_ptr<player::WebView>> FakeWebLayer::create(HWND parent, player::WebViewConfig config) {
    if (creation_failure_) return std::unexpected(*creation_failure_);
    auto page = std::make_shared<FakePage>(parent, std::move(config));
    pages_.push_back(page);
    return std::make_unique<FakeWebView>(std::move(page));
}

void FakeWebLayer::forget_destroyed_pages() {
    std::erase_if(pages_, [](const std::shared_ptr<FakePage>& page) { return page->destroyed(); });
}

}  // namespace test
