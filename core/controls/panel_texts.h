#pragma once

#include <string_view>

namespace core {

// What the control window says about the player. The resource-failure text lives with
// the other status texts (core/shell/status_text.h).
inline constexpr std::string_view kLibraryTitle = "Tessary · 壁纸库";
inline constexpr std::string_view kBusyStatus = "操作暂时没有完成";
inline constexpr std::string_view kOpeningStatus = "正在打开壁纸…";
inline constexpr std::string_view kOpeningDetail = "首次启动可能需要几秒，请稍等。";
inline constexpr std::string_view kPreviewStatus = "当前是窗口预览";
inline constexpr std::string_view kPreviewDetail =
    "点击“设为桌面壁纸”即可应用到桌面。点击“退出壁纸”或关闭控制窗口即可退出。";
inline constexpr std::string_view kNotMountedStatus = "还没有设为桌面壁纸";
inline constexpr std::string_view kNotMountedDetail =
    "当前是窗口预览。点击“设为桌面壁纸”重试；退出后会恢复显示原来的桌面。";
inline constexpr std::string_view kDesktopStatus = "已经设为桌面壁纸";
inline constexpr std::string_view kPausedStatus = "桌面壁纸已暂停";
inline constexpr std::string_view kDesktopDetail =
    "点击下方列表即可切换作品，互动方式以作品内容为准。可以最小化此窗口；关闭此窗口即可退出。";
inline constexpr std::string_view kEmptyStatus = "壁纸库还没有作品";
inline constexpr std::string_view kEmptyDetail = "请安装壁纸，或完整解压含 wallpapers 文件夹的便携版后运行。";

// The detail shown from creation until the first refresh.
inline constexpr std::string_view kInitialDetail = "稍等片刻，将自动设为桌面壁纸。";

// Captions of the buttons that follow the playback state.
inline constexpr std::string_view kResumeCaption = "继续播放";
inline constexpr std::string_view kPauseCaption = "暂停";
inline constexpr std::string_view kResetDesktopCaption = "重新设置壁纸";
inline constexpr std::string_view kSetDesktopCaption = "设为桌面壁纸";

}  // namespace core
