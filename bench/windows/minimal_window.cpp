// The baseline for the player's memory: a program that only shows one window and runs a
// message loop, built with the same compiler and runtime. It closes with its window, and
// its window answers the resource probe as the test player does. Given a number, it also
// runs a timer of that many milliseconds that does nothing: the floor of a ticking
// program's idle cost under the same system.
#include <windows.h>

#include <cstdlib>

#include "resource_probe.h"

namespace {

LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == test::kResourceProbeMessage) return test::answer_resource_probe(wparam);
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR command_line, int) {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = instance;
    window_class.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    window_class.lpszClassName = L"Minimal.Window";
    if (::RegisterClassExW(&window_class) == 0) return 1;
    const HWND window = ::CreateWindowExW(0, L"Minimal.Window", L"Minimal", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                          CW_USEDEFAULT, 480, 400, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return 1;
    ::ShowWindow(window, SW_SHOWNORMAL);
    if (const int interval = _wtoi(command_line); interval > 0) ::SetTimer(window, 1, static_cast<UINT>(interval), nullptr);
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}
