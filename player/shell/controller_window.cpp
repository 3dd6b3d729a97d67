#include "player/shell/controller_window.h"

#include <utility>

#include "core/shell/handoff.h"
#include "player/desktop/mouse_input.h"
#include "player/events/controller_event.h"
#include "player/win32/wide.h"
#include "player/win32/window_class.h"

namespace player {

struct ControllerWindow::State {
    HWND window = nullptr;
    UINT taskbar_created = 0;
};

namespace {

void queue_and_wake(HWND window, ControllerEvent event) {
    queue_event(std::move(event));
    ::PostMessageW(window, MSG_QUEUE_WAKE, 0, 0);
}

bool is_queued_as_event(UINT message, WPARAM wparam, UINT taskbar_created) {
    switch (message) {
        case WM_DISPLAYCHANGE:
        case WM_COMMAND:
        case WM_WTSSESSION_CHANGE:
        case WM_POWERBROADCAST:
        case MSG_TRAY_MENU:
        case MSG_SHOW_CONTROL:
        case MSG_REFRESH_CONTROL:
        case MSG_PAGE_PROCESS_FAILED:
            return true;
        case WM_TIMER:
            return wparam == kTickTimerId;
        default:
            // 0 until registered, and no message has number 0 here.
            return taskbar_created != 0 && message == taskbar_created;
    }
}

LRESULT handle_copy_data(HWND window, const COPYDATASTRUCT* record) {
    if (record == nullptr || record->dwData != core::kHandoffTag || record->lpData == nullptr) return 0;
    auto id = core::read_handoff_record(record->lpData, record->cbData);
    if (!id) return 0;
    queue_and_wake(window, ControllerEvent{MSG_SELECT_WALLPAPER, 0, std::move(*id)});
    return 1;
}

LRESULT handle_power_broadcast(WPARAM wparam, LPARAM lparam) {
    if (wparam == PBT_POWERSETTINGCHANGE) {
        const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(lparam);
        if (setting != nullptr && ::IsEqualGUID(setting->PowerSetting, GUID_CONSOLE_DISPLAY_STATE) &&
            setting->DataLength == sizeof(DWORD)) {
            DWORD state = 0;
            ::memcpy(&state, setting->Data, sizeof(state));
            queue_event(ControllerEvent{MSG_DISPLAY_STATE, 0, static_cast<std::uint32_t>(state)});
        }
        return TRUE;
    }
    queue_event(ControllerEvent{WM_POWERBROADCAST, wparam, {}});
    return 0;
}

LRESULT handle_tray_callback(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (LOWORD(lparam)) {
        case WM_CONTEXTMENU:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONUP:
            ::PostMessageW(window, MSG_TRAY_MENU, 0, 0);
            return 0;
        case WM_LBUTTONUP:
            ::PostMessageW(window, MSG_SHOW_CONTROL, 0, 0);
            return 0;
        default:
            return ::DefWindowProcW(window, message, wparam, lparam);
    }
}

LRESULT CALLBACK controller_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        auto* state = static_cast<ControllerWindow::State*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
        return ::DefWindowProcW(window, message, wparam, lparam);
    }
    const auto* state = reinterpret_cast<ControllerWindow::State*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    const UINT taskbar_created = state != nullptr ? state->taskbar_created : 0;

    switch (message) {
        case WM_COPYDATA:
            return handle_copy_data(window, reinterpret_cast<const COPYDATASTRUCT*>(lparam));
        case WM_INPUT:
            if (auto click = read_primary_press(reinterpret_cast<HRAWINPUT>(lparam))) {
                queue_and_wake(window, ControllerEvent{MSG_DESKTOP_CLICK, 0, *click});
            }
            return ::DefWindowProcW(window, message, wparam, lparam);
        case WM_POWERBROADCAST:
            return handle_power_broadcast(wparam, lparam);
        case MSG_TRAY_CALLBACK:
            return handle_tray_callback(window, message, wparam, lparam);
        case WM_DESTROY:
            ::PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    if (is_queued_as_event(message, wparam, taskbar_created)) {
        queue_event(ControllerEvent{message, wparam, {}});
        return 0;
    }
    return ::DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

core::Status register_controller_window_class() {
    return win32::register_player_window_class(kControllerWindowClass, controller_procedure,
                                               "window registration failed: ");
}

ControllerWindow::ControllerWindow(std::unique_ptr<State> state) : state_(std::move(state)) {}
ControllerWindow::ControllerWindow(ControllerWindow&&) noexcept = default;
ControllerWindow& ControllerWindow::operator=(ControllerWindow&& other) noexcept {
    if (this != &other) {
        destroy();
        state_ = std::move(other.state_);
    }
    return *this;
}
ControllerWindow::~ControllerWindow() { destroy(); }

core::Result<ControllerWindow> ControllerWindow::create(const std::string& instance_name) {
    auto title = win32::to_wide(instance_name);
    if (!title) return std::unexpected(title.error());
    auto state = std::make_unique<State>();
    // Never shown; other processes find it by class and title.
    state->window = ::CreateWindowExW(WS_EX_TOOLWINDOW, kControllerWindowClass, title->c_str(), 0, 0, 0, 0, 0,
                                      nullptr, nullptr, ::GetModuleHandleW(nullptr), state.get());
    if (state->window == nullptr) return core::fail("controller window creation failed");
    return ControllerWindow(std::move(state));
}

HWND ControllerWindow::handle() const { return state_ ? state_->window : nullptr; }

void ControllerWindow::destroy() {
    if (!state_ || state_->window == nullptr) return;
    const HWND window = std::exchange(state_->window, nullptr);
    if (::IsWindow(window)) ::DestroyWindow(window);
}

void ControllerWindow::set_taskbar_created_message(UINT message) {
    if (state_) state_->taskbar_created = message;
}

}  // namespace player
