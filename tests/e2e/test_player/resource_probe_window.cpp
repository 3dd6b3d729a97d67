#include "resource_probe_window.h"

#include "resource_probe.h"

namespace test {
namespace {

LRESULT CALLBACK probe_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == kResourceProbeMessage) return answer_resource_probe(wparam);
    return ::DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

void create_resource_probe_window() {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = probe_procedure;
    window_class.hInstance = ::GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"Tessary.Test.Probe";
    if (::RegisterClassExW(&window_class) == 0) return;
    ::CreateWindowExW(0, L"Tessary.Test.Probe", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, window_class.hInstance,
                      nullptr);
}

}  // namespace test
