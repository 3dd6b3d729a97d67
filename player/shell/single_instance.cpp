#include "player/shell/single_instance.h"

#include <windows.h>

#include "core/shell/handoff.h"
#include "player/events/controller_event.h"
#include "player/shell/controller_window.h"
#include "player/shell/startup_failure.h"
#include "player/win32/wide.h"

namespace player {
namespace {

// A running player that does not take the id within this time is treated as hung.
constexpr UINT kHandOffTimeoutMs = 3000;

}  // namespace

core::Result<std::optional<InstanceLock>> take_instance_lock(const std::string& instance_name) {
    auto name = win32::to_wide("Local\\" + instance_name);
    if (!name) return std::unexpected(name.error());
    win32::unique_handle mutex(::CreateMutexW(nullptr, FALSE, name->c_str()));
    if (!mutex) return core::fail("instance lock unavailable");
    if (::GetLastError() == ERROR_ALREADY_EXISTS) return std::optional<InstanceLock>();
    return std::optional<InstanceLock>(InstanceLock(std::move(mutex)));
}

core::Status hand_off_to_running_player(const std::string& instance_name, const HandOff& request) {
    auto title = win32::to_wide(instance_name);
    if (!title) return std::unexpected(title.error());
    const HWND running = ::FindWindowW(kControllerWindowClass, title->c_str());
    if (running == nullptr) {
        // The lock is held by a player without our window: an older version.
        show_startup_message("已经有旧版壁纸在运行。请先关闭旧版窗口，再打开这个运行包。");
        return {};
    }
    DWORD process_id = 0;
    ::GetWindowThreadProcessId(running, &process_id);
    ::AllowSetForegroundWindow(process_id);

    if (request.wallpaper_id) {
        std::string record = core::handoff_record(request.wallpaper_id->value());
        COPYDATASTRUCT data{};
        data.dwData = core::kHandoffTag;
        data.cbData = static_cast<DWORD>(record.size());
        data.lpData = record.data();
        DWORD_PTR answer = 0;
        const LRESULT sent = ::SendMessageTimeoutW(running, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                                                   SMTO_BLOCK | SMTO_ABORTIFHUNG, kHandOffTimeoutMs, &answer);
        if (sent == 0 || answer != 1) {
            return core::fail("运行中的播放器未能接收作品选择，请关闭后重试");
        }
    }
    if (!request.startup) ::PostMessageW(running, MSG_SHOW_CONTROL, 0, 0);
    return {};
}

}  // namespace player
