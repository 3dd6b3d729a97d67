#include "player/shell/tray_icon.h"

#include <cwchar>
#include <string>

#include "core/shell/commands.h"
#include "player/events/controller_event.h"
#include "player/log/log.h"
#include "player/win32/unique_resource.h"

namespace player {
namespace {

constexpr UINT kTrayIconId = 1;
// The full current record, which every supported Windows accepts.
static_assert(sizeof(NOTIFYICONDATAW) == 976);

const wchar_t* desktop_item_text(const TrayMenuState& state) {
    if (state.desktop_mounted) return L"窗口预览";
    return state.desktop_wanted ? L"重试设为桌面壁纸" : L"设为桌面壁纸";
}

}  // namespace

TrayIcon::TrayIcon(HWND controller_window) {
    icon_.reset(static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CXSMICON),
                                                LR_DEFAULTCOLOR)));
    data_.cbSize = sizeof(data_);
    data_.hWnd = controller_window;
    data_.uID = kTrayIconId;
    data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data_.uCallbackMessage = MSG_TRAY_CALLBACK;
    data_.hIcon = icon_.get();
    std::wcsncpy(data_.szTip, L"Tessary · 点击打开壁纸控制窗口", std::size(data_.szTip) - 1);
}

TrayIcon::~TrayIcon() { remove(); }

core::Status TrayIcon::add() {
    // "TaskbarCreated" also comes when the notification area kept its icons (a shell that
    // was only re-created, a second broadcast): an icon already there is no failure.
    added_ = ::Shell_NotifyIconW(NIM_ADD, &data_) || ::Shell_NotifyIconW(NIM_MODIFY, &data_);
    if (added_) return {};
    return core::fail("system tray unavailable");
}

void TrayIcon::remove() {
    ::Shell_NotifyIconW(NIM_DELETE, &data_);
    added_ = false;
}

std::uint32_t run_tray_menu(const std::function<HWND()>& choose_owner, HWND controller_window,
                            const TrayMenuState& state) {
    const win32::unique_menu menu(::CreatePopupMenu());
    if (!menu) return 0;
    ::AppendMenuW(menu.get(), MF_STRING, core::CMD_TOGGLE_PAUSE, state.user_paused ? L"继续播放" : L"暂停");
    ::AppendMenuW(menu.get(), MF_STRING, core::CMD_TOGGLE_DESKTOP, desktop_item_text(state));
    ::AppendMenuW(menu.get(), MF_STRING, core::CMD_FPS_30, L"30 FPS · 节能");
    ::AppendMenuW(menu.get(), MF_STRING, core::CMD_FPS_60, L"60 FPS · 流畅");
    ::AppendMenuW(menu.get(), MF_STRING, core::CMD_OPEN_DATA_FOLDER, L"打开日志文件夹");
    ::AppendMenuW(menu.get(), MF_STRING, core::CMD_EXIT, L"退出");

    POINT cursor{};
    ::GetCursorPos(&cursor);
    const HWND owner = choose_owner();
    const BOOL foreground = ::SetForegroundWindow(owner);
    log_line("tray menu opening foreground_set=" + std::to_string(foreground ? 1 : 0));
    ::SetLastError(0);
    const auto command = static_cast<std::uint32_t>(
        ::TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, owner, nullptr));
    const DWORD error = ::GetLastError();
    log_line("tray menu closed command=" + std::to_string(command) + " error=" + std::to_string(error));
    // Lets the menu close when the user clicks elsewhere.
    ::PostMessageW(controller_window, WM_NULL, 0, 0);
    return command;
}

}  // namespace player
