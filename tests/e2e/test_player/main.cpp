// A test build of the player: the real program with the browser replaced by the
// scriptable stand-in. Each page it "creates" loads its entry through the real asset
// protocol once the message loop runs, and reports "ready" when the entry was served, as
// a wallpaper without scripts of its own would.
//
// So that whole-program tests can see what the page and the user are shown, it writes
// beside itself: "page-events.txt", every script run in a page, one a line; and
// "menus.txt", the items of every pop-up menu as it opens ("menu" and then
// "id<TAB>text<TAB>flags" lines, flags as MFS_* state bits).
//
// Its autostart switch lives under a scratch key (test_autostart.h), not the real Run value.
//
// With TESSARY_TEST_PLAYER_WEBVIEW2=1 in its environment it plays through the program's
// own WebView2 layer instead, with the loader DLL beside it (the stand-in runtime in the
// benchmarks), keeping the resource probe that sees inside the process.
#include <windows.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "fake_web_layer.h"
#include "resource_probe_window.h"
#include "test_autostart.h"
#include "player/shell/entry.h"
#include "player/win32/wide.h"
#include "player/shell/process_arguments.h"
#include "player/shell/startup_failure.h"
#include "player/shell/webview2_beside_program.h"

// tessary_test_preview.exe is this file built with TESSARY_LOCAL_PREVIEW=1.
#ifndef TESSARY_LOCAL_PREVIEW
#define TESSARY_LOCAL_PREVIEW 0
#endif

namespace {

constexpr core::BuildFlags kBuildFlags{.local_preview = TESSARY_LOCAL_PREVIEW != 0};
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

// A file beside the program, appended to line by line.
void append_beside_program(const wchar_t* name, const std::string& text) {
    wchar_t exe[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path(exe, length);
    path = path.substr(0, path.find_last_of(L'\\') + 1) + name;
    if (FILE* file = _wfopen(path.c_str(), L"ab")) {
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
    }
}

class RecordingWebView final : public player::WebView {
public:
    explicit RecordingWebView(std::unique_ptr<player::WebView> inner) : inner_(std::move(inner)) {}
    core::Status set_bounds(const RECT& bounds) override { return inner_->set_bounds(bounds); }
    core::Status execute_script(std::string_view script) override {
        append_beside_program(L"page-events.txt", std::string(script) + "\n");
        return inner_->execute_script(script);
    }
    // Each change only: the player says it at every tick.
    core::Status set_unseen(bool unseen) override {
        if (unseen_ != unseen) append_beside_program(L"page-events.txt", unseen ? "unseen true\n" : "unseen false\n");
        unseen_ = unseen;
        return inner_->set_unseen(unseen);
    }

private:
    std::unique_ptr<player::WebView> inner_;
    bool unseen_ = false;
};

// Sees WM_INITMENUPOPUP, which every menu sends its owner before it shows.
LRESULT CALLBACK record_menu(int code, WPARAM wparam, LPARAM lparam) {
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lparam);
    if (code == HC_ACTION && message->message == WM_INITMENUPOPUP) {
        const auto menu = reinterpret_cast<HMENU>(message->wParam);
        std::string text = "menu\n";
        for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
            wchar_t label[128] = {};
            MENUITEMINFOW item{};
            item.cbSize = sizeof(item);
            item.fMask = MIIM_ID | MIIM_STATE | MIIM_STRING | MIIM_FTYPE;
            item.dwTypeData = label;
            item.cch = 128;
            ::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &item);
            text += std::to_string(item.wID) + "\t" + win32::to_utf8(label).value_or("?") + "\t" +
                    std::to_string(item.fState | item.fType) + "\n";
        }
        append_beside_program(L"menus.txt", text);
    }
    return ::CallNextHookEx(nullptr, code, wparam, lparam);
}

class LoadingWebLayer final : public player::WebLayer {
public:
    core::Result<std::unique_ptr<player::WebView>> create(HWND parent, player::WebViewConfig config) override {
        // The stand-in keeps its pages for tests to look at; this program runs for long.
        fake_.forget_destroyed_pages();
        auto view = fake_.create(parent, std::move(config));
        if (!view) return view;
        const UINT_PTR timer = ::SetTimer(nullptr, 0, kPageLoadDelayMs, load_page);
        g_loading_pages[timer] = fake_.pages().back();
        return std::make_unique<RecordingWebView>(std::move(*view));
    }

private:
    test::FakeWebLayer fake_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    ::SetWindowsHookExW(WH_CALLWNDPROC, record_menu, nullptr, ::GetCurrentThreadId());
    test::create_resource_probe_window();
    const wchar_t* webview2 = _wgetenv(L"TESSARY_TEST_PLAYER_WEBVIEW2");
    const bool real_layer = webview2 != nullptr && std::wstring_view(webview2) == L"1";
    const auto make_layer = [real_layer](const std::string& profile_folder) -> std::unique_ptr<player::WebLayer> {
        if (!real_layer) return std::make_unique<LoadingWebLayer>();
        return player::make_webview2_layer(profile_folder);
    };
    const player::AutostartEntry autostart{.subkey = test::kTestRunKey, .approval_subkey = test::kTestApprovalKey};
    if (auto result = player::run_entry(player::process_arguments(), make_layer, kBuildFlags, autostart); !result) {
        player::report_startup_failure(result.error());
    }
    return 0;
}
