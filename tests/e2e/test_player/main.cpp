// A test build of the player: the real program with the browser replaced by the
// scriptable stand-in. Each page it "creates" loads its entry through the real asset
// protocol once the message loop runs, and reports "ready" when the entry was served, as
// a wallpaper without scripts of its own would.
#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "fake_web_layer.h"
#include "resource_probe_window.h"
#include "player/shell/entry.h"
#include "player/shell/process_arguments.h"
#include "player/shell/startup_failure.h"

namespace {

constexpr UINT kPageLoadDelayMs = 100;

// Timer id to the page it loads. The timer procedure gets no context of its own.
std::map<UINT_PTR, std::weak_ptr<test::FakePage>> g_loading_pages;

void CALLBACK load_page(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    const auto found = g_loading_pages.find(timer);
    if (found == g_loading_pages.end()) return;
    const std::shared_ptr<test::FakePage> page = found->second.lock();
    g_loading_pages.erase(found);
    if (page && !page->destroyed() && page->load().status == 200) page->post_message("ready");
}

class LoadingWebLayer final : public player::WebLayer {
public:
    core::Result<std::unique_ptr<player::WebView>> create(HWND parent, player::WebViewConfig config) override {
        // The stand-in keeps its pages for tests to look at; this program runs for long.
        fake_.forget_destroyed_pages();
        auto view = fake_.create(parent, std::move(config));
        if (view) {
            const UINT_PTR timer = ::SetTimer(nullptr, 0, kPageLoadDelayMs, load_page);
            g_loading_pages[timer] = fake_.pages().back();
        }
        return view;
    }

private:
    test::FakeWebLayer fake_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    test::create_resource_probe_window();
    const auto make_layer = [](const std::string&) -> std::unique_ptr<player::WebLayer> {
        return std::make_unique<LoadingWebLayer>();
    };
    if (auto result = player::run_entry(player::process_arguments(), make_layer); !result) {
        player::report_startup_failure(result.error());
    }
    return 0;
}
