#include "player/shell/message_loop.h"

namespace player {

core::Status run_message_loop(EventHandler& handler) {
    while (true) {
        // Events queued by window procedures run here, never inside another event, even
        // when a menu or dialog ran a nested loop while the previous one was handled.
        while (auto event = pop_event()) {
            if (!handler.handle_event(*event)) {
                clear_events();
                break;
            }
        }
        MSG message;
        const BOOL result = ::GetMessageW(&message, nullptr, 0, 0);
        if (result == 0) return {};
        if (result < 0) return core::fail("Windows message loop failed");
        const HWND dialog = handler.dialog_window();
        if (dialog != nullptr && ::IsDialogMessageW(dialog, &message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

}  // namespace player
