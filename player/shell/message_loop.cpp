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
        if (!::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            // Nothing waiting: sleep until a message arrives or the Run key changes. Input
            // already seen by an earlier peek counts too, so none is left lying.
            const HANDLE watched = handler.autostart_changed();
            const DWORD count = watched != nullptr ? 1 : 0;
            const DWORD woke = ::MsgWaitForMultipleObjectsEx(count, count != 0 ? &watched : nullptr, INFINITE,
                                                             QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            if (woke == WAIT_FAILED) return core::fail("Windows message loop failed");
            if (count != 0 && woke == WAIT_OBJECT_0) queue_event(ControllerEvent{.message = MSG_AUTOSTART_CHANGED});
            continue;
        }
        if (message.message == WM_QUIT) return {};
        const HWND dialog = handler.dialog_window();
        if (dialog != nullptr && ::IsDialogMessageW(dialog, &message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

}  // namespace player
