#include "player/win32/window_class.h"

namespace win32 {

core::Status register_player_window_class(const wchar_t* class_name, WNDPROC procedure,
                                          const std::string& failure_prefix) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof(window_class);
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = instance;
    window_class.hIcon = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                         ::GetSystemMetrics(SM_CXICON),
                                                         ::GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR));
    window_class.hIconSm = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                           ::GetSystemMetrics(SM_CXSMICON),
                                                           ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    window_class.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    window_class.lpszClassName = class_name;
    if (::RegisterClassExW(&window_class) == 0) {
        return core::fail(failure_prefix + std::to_string(::GetLastError()));
    }
    return {};
}

}  // namespace win32
