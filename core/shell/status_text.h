#pragma once

#include <string_view>

#include "core/error/error.h"

namespace core {

// The control window's status line. The error's own text never reaches it: users get one
// of these fixed explanations, and the log gets the details.
inline constexpr std::string_view kGenericFailureStatus =
    "壁纸尚未完成打开或恢复。请确认运行文件夹已完整解压，然后点击“设为桌面壁纸”重试。";
inline constexpr std::string_view kWebView2FailureStatus =
    "WebView2 无法打开壁纸。请确认 Microsoft Edge WebView2 运行组件已安装，然后点击“设为桌面壁纸”重试。";
inline constexpr std::string_view kResourceFailureStatus =
    "壁纸资源未能完整加载。请重新完整解压运行文件夹，再点击“设为桌面壁纸”重试。";
inline constexpr std::string_view kDesktopFallbackStatus =
    "暂时未能连接 Windows 桌面，当前显示窗口预览。点击“设为桌面壁纸”重试。";
inline constexpr std::string_view kDesktopReconnectingStatus =
    "Windows 桌面发生变化，壁纸正在尝试重新连接。也可以点击“设为桌面壁纸”立即重试。";
// The page's own browser process kept dying: the runtime is there and works, so the user
// is sent to another wallpaper or a deliberate retry, not to reinstalling it.
inline constexpr std::string_view kPageProcessFailureStatus =
    "壁纸页面的进程接连出错，已停止自动重新打开。请选择其他壁纸，或点击“设为桌面壁纸”重试。";
// Shown in the preview window while a page whose process died waits to be built again.
inline constexpr std::string_view kPageReopeningStatus = "壁纸页面意外结束，稍后会自动重新打开。";

// A build refused because the program's command line carries --edge-webview-switches,
// which the runtime would add to the browser's arguments after the program's own.
inline constexpr std::string_view kBrowserSwitchesRefusal =
    "the command line carries --edge-webview-switches, which would override the wallpaper browser's "
    "configuration; the browser is not started";
inline constexpr std::string_view kBrowserSwitchesStatus =
    "启动参数中带有 --edge-webview-switches，它会改写壁纸浏览器的安全设置，因此壁纸没有打开。请去掉该参数后重新启动。";

// A build refused because a WebView2 policy value (Software\Policies\Microsoft\Edge\WebView2
// \AdditionalBrowserArguments, for this program or for every program) gives the browser
// arguments that the runtime would add after the program's own; the cause names the key
// and the value.
inline constexpr std::string_view kBrowserPolicyRefusal =
    "a WebView2 AdditionalBrowserArguments policy would override the wallpaper browser's configuration; the "
    "browser is not started";
inline constexpr std::string_view kBrowserPolicyStatus =
    "系统策略 AdditionalBrowserArguments（注册表 Software\\Policies\\Microsoft\\Edge\\WebView2）为本程序指定了浏览器启动参数，"
    "它会改写壁纸浏览器的安全设置，因此壁纸没有打开。请管理员删除该策略值后重新启动。";

// Environment creation refused because another process uses the profile folder with other
// options, or holds it exclusively: the runtime is there, only that process is in the way.
inline constexpr std::string_view kProfileInUseRefusal =
    "the wallpaper browser's profile folder is in use by another process";
inline constexpr std::string_view kProfileInUseStatus =
    "壁纸浏览器的资料文件夹正被其他程序占用，因此壁纸没有打开。请关闭占用它的程序，然后点击“设为桌面壁纸”重试。";

inline constexpr std::string_view kTrayUnavailableStatus =
    "Windows 托盘图标暂时未能恢复。仍可使用此控制窗口操作壁纸。";

// The refusals above: each is no missing runtime and has a status text of its own.
bool is_browser_refusal(const Error& error);
// The refusals that nothing but a new start can clear (the command line, an administrator's
// policy): trying again unasked would only meet them again.
bool refusal_needs_restart(const Error& error);

// Only the outermost message decides: a WebView2 failure wrapped in another context is
// reported as a generic one.
std::string_view status_text_for_error(const Error& error);

}  // namespace core
