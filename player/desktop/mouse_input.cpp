#include "player/desktop/mouse_input.h"

namespace player {

core::Status register_mouse_input(HWND target) {
    RAWINPUTDEVICE device{};
    device.usUsagePage = 0x01;  // generic desktop
    device.usUsage = 0x02;      // mouse
    device.dwFlags = RIDEV_INPUTSINK;
    device.hwndTarget = target;
    if (!::RegisterRawInputDevices(&device, 1, sizeof(device))) {
        return core::fail("cannot register wallpaper mouse input: " + std::to_string(::GetLastError()));
    }
    return {};
}

void unregister_mouse_input() {
    RAWINPUTDEVICE device{};
    device.usUsagePage = 0x01;
    device.usUsage = 0x02;
    device.dwFlags = RIDEV_REMOVE;
    device.hwndTarget = nullptr;
    ::RegisterRawInputDevices(&device, 1, sizeof(device));
}

std::optional<ClickRecord> read_primary_press(HRAWINPUT input) {
    // Every mouse event of the system passes here: read the record into a fixed buffer
    // and leave as early as possible.
    alignas(RAWINPUT) BYTE buffer[sizeof(RAWINPUT)];
    UINT size = sizeof(buffer);
    if (::GetRawInputData(input, RID_INPUT, buffer, &size, sizeof(RAWINPUTHEADER)) == static_cast<UINT>(-1)) {
        return std::nullopt;
    }
    const auto* raw = reinterpret_cast<const RAWINPUT*>(buffer);
    if (raw->header.dwType != RIM_TYPEMOUSE) return std::nullopt;
    const USHORT primary_down =
        ::GetSystemMetrics(SM_SWAPBUTTON) ? RI_MOUSE_RIGHT_BUTTON_DOWN : RI_MOUSE_LEFT_BUTTON_DOWN;
    if (!(raw->data.mouse.usButtonFlags & primary_down)) return std::nullopt;

    ClickRecord click;
    if (!::GetCursorPos(&click.position)) return std::nullopt;
    click.foreground = ::GetForegroundWindow();
    click.under_cursor = ::WindowFromPoint(click.position);
    click.time = std::chrono::steady_clock::now();
    return click;
}

}  // namespace player
