#include "player/shell/message_loop.h"

namespace player {

namespace {

enum class Wait { message, quit, nothing };

// Waits for a message or the folder's change notification, whichever comes first. A
// change only restarts the quiet period; when it has passed, the change is queued.
core::Result<Wait> wait_with_watch(SourceWatch*& watch, MSG& message) {
    const HANDLE notification = watch->handle();
    const DWORD woke = ::MsgWaitForMultipleObjectsEx(1, &notification, watch->wait_ms(::GetTickCount64()),
                                                     QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woke == WAIT_FAILED) return core::fail("Windows message loop failed");
    if (woke == WAIT_OBJECT_0) {
        // A watch that cannot be re-armed would signal forever: stop watching instead.
        if (!watch->signalled(::GetTickCount64())) watch = nullptr;
        return Wait::nothing;
    }
    if (woke == WAIT_TIMEOUT) {
        if (watch->settled(::GetTickCount64())) queue_event(ControllerEvent{MSG_SOURCE_CHANGED, 0, {}});
        return Wait::nothing;
    }
    if (!::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) return Wait::nothing;
    return message.message == WM_QUIT ? Wait::quit : Wait::message;
}

}  // namespace

core::Status run_message_loop(EventHandler& handler, SourceWatch* watch) {
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
        if (watch != nullptr) {
            auto waited = wait_with_watch(watch, message);
            if (!waited) return std::unexpected(waited.error());
            if (*waited == Wait::quit) return {};
            if (*waited == Wait::nothing) continue;
        } else {
            const BOOL result = ::GetMessageW(&message, nullptr, 0, 0);
            if (result == 0) return {};
            if (result < 0) return core::fail("Windows message loop failed");
        }
        const HWND dialog = handler.dialog_window();
        if (dialog != nullptr && ::IsDialogMessageW(dialog, &message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

}  // namespace player
