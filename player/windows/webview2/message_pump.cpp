#include "player/windows/webview2/message_pump.h"

#include <windows.h>

namespace player::webview2 {

core::Status pump_messages_until(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        MSG message{};
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                ::PostQuitMessage(static_cast<int>(message.wParam));
                return core::fail("the player is quitting");
            }
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
            if (done()) return {};
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return core::fail("timed out");
        ::MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(left.count()), QS_ALLINPUT,
                                      MWMO_INPUTAVAILABLE);
    }
    return {};
}

}  // namespace player::webview2
