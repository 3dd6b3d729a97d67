#include "player/windows/host_build.h"

#include <algorithm>

#include "core/shell/status_text.h"
#include "core/web/asset_url.h"
#include "core/web/bridge_script.h"
#include "core/web/pacing_script.h"
#include "core/web/page_message_budget.h"
#include "player/events/controller_event.h"
#include "player/win32/handle_text.h"
#include "player/windows/bridge_glue.h"
#include "player/windows/host_window.h"

namespace player {
namespace {

constexpr int kHostWidth = 1100;
constexpr int kHostHeight = 720;
constexpr wchar_t kHostTitle[] = L"Tessary · 壁纸窗口预览";

// The closures share the wallpaper and this build's flags by reference counting, so a
// discarded page keeps its own and can never touch its successor's.
WebViewConfig webview_config(const core::SharedWallpaper& wallpaper, const core::SharedBridgeFlags& flags,
                             const HostServices& services) {
    WebViewConfig config;
    config.start_url = core::start_url(wallpaper->manifest.entry);
    config.main_frame_scripts = {std::string(core::kIpcShimScript), std::string(core::kBridgeScript),
                                 std::string(core::kPacingScript)};
    const HWND controller = services.controller_window;
    const LogFunction log = services.log;
    config.serve_asset = [wallpaper, flags, controller, log](std::string_view url, std::string_view range) {
        return serve_asset_request(url, *wallpaper, *flags, controller, log, range);
    };
    config.refuse_unanswered = [flags, controller, log](std::string_view url, std::string_view cause) {
        return refuse_unanswered_asset(url, cause, *flags, controller, log);
    };
    config.log = log;
    config.on_page_message = [flags, controller, log](std::string_view message) {
        handle_page_message(message, *flags, controller, log);
    };
    config.on_page_flood = [log] {
        if (log) log(core::kPageMessageFloodLog);
    };
    config.allow_navigation = core::is_allowed_navigation;
    config.on_process_failed = [flags, controller, log](std::string_view what) {
        flags->process_failed.store(true);
        if (log) log("wallpaper page process failed: " + std::string(what));
        if (controller != nullptr) ::PostMessageW(controller, MSG_PAGE_PROCESS_FAILED, 0, 0);
    };
    return config;
}

}  // namespace

void close_host(HostState& host) {
    host.notice.reset();
    host.webview.reset();
    host.window.reset();
    host.mounted = false;
    host.parent_worker = nullptr;
    // The old page may still hold its flags; it must stop counting as ready.
    host.flags->ready.store(false);
    host.flags = std::make_shared<core::BridgeFlags>();
    host.last_pushed.reset();
}

core::Status build_host(HostState& host, const HostServices& services, const core::SharedWallpaper& wallpaper,
                        bool fallback_to_preview) {
    host.last_attempt = services.now();

    close_host(host);
    host.load_start = services.now();
    host.status_text.reset();
    if (services.refresh_status) services.refresh_status();

    if (!wallpaper) return core::fail("no wallpaper selected");

    services.placement.prepare_window_dpi(host);

    win32::unique_window window(::CreateWindowExW(WS_EX_APPWINDOW, kHostWindowClass, kHostTitle, WS_OVERLAPPEDWINDOW,
                                                  CW_USEDEFAULT, CW_USEDEFAULT, kHostWidth, kHostHeight, nullptr,
                                                  nullptr, ::GetModuleHandleW(nullptr), nullptr));
    if (!window) return core::fail("wallpaper window creation failed: " + std::to_string(::GetLastError()));

    ::SetWindowLongPtrW(window.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(services.controller_window));

    auto webview = services.web_layer.create(window.get(), webview_config(wallpaper, host.flags, services));
    if (!webview) {
        // Not a missing runtime: asking the user to install one would mislead.
        if (core::is_browser_refusal(webview.error())) return std::unexpected(webview.error());
        return core::fail(std::string(kWebViewUnavailableMessage), webview.error());
    }

    host.window = std::move(window);
    host.webview = std::move(*webview);

    if (auto placed = services.placement.place(host, fallback_to_preview); !placed) return placed;

    host.last_check = services.now();
    if (services.log) {
        services.log("loaded " + wallpaper->manifest.id + " mode=" + (host.mounted ? "desktop" : "preview") +
                     " host=" + win32::handle_text(host.window.get()) + " parent=" + win32::handle_text(host.parent_worker));
    }
    return {};
}

core::Status leave_without_page(HostState& host, std::string_view text) {
    host.webview.reset();
    const HWND window = host.window.get();
    if (window == nullptr || !::IsWindow(window)) return {};
    if (host.mounted) {
        ::ShowWindow(window, SW_HIDE);
        return {};
    }
    if (host.notice) {
        host.notice->set_text(std::string(text));
        return {};
    }
    auto notice = HostNotice::show(window, std::string(text));
    if (!notice) return std::unexpected(notice.error());
    host.notice = std::move(*notice);
    return {};
}

core::Status sync_webview_bounds(HostState& host) {
    if (!host.window) return {};
    RECT client{};
    if (!::GetClientRect(host.window.get(), &client)) return core::fail("cannot read wallpaper client bounds");
    if (!host.webview) return {};
    const RECT bounds{0, 0, std::max(0L, client.right - client.left), std::max(0L, client.bottom - client.top)};
    return host.webview->set_bounds(bounds);
}

}  // namespace player
