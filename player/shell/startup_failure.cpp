#include "player/shell/startup_failure.h"

#include <windows.h>

#include "player/log/log.h"
#include "player/win32/wide.h"

namespace player {

void show_startup_message(std::string_view text) {
    // A failure after the controller window existed tore that window down, which posted
    // the quit message; a message box would take it as its own and close at once.
    MSG quit{};
    while (::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    const std::wstring caption = win32::to_wide(kStartupCaption).value_or(L"Tessary");
    const std::wstring body = win32::to_wide(text).value_or(L"");
    ::MessageBoxW(nullptr, body.c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION);
}

void report_startup_failure(const core::Error& error) {
    const std::string chain = error.chain();
    log_line("fatal: " + chain);
    show_startup_message("启动失败：\n" + chain);
}

}  // namespace player
