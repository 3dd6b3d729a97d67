#include "player/shell/message_loop.h"

namespace player {
namespace {

// The author-preview build's wait: until a message arrives or the folder's notification
// is signalled, which only restarts its quiet period; a settled change becomes an event.
// Input already seen by an earlier peek counts too, so none is left lying.
core::Status wait_for_message_or_change(SourceWatch*& watch) {
    const HANDLE changed = watch->handle();
    const DWORD woke = ::MsgWaitForMultipleObjectsEx(1, &changed, watch->wait_ms(::GetTickCount64()), QS_ALLINPUT,
                                                     MWMO_INPUTAVAILABLE);
    if (woke == WAIT_FAILED) return core::fail("Windows message loop failed");
    // A watch that cannot be re-armed would signal forever: stop watching instead.
    if (woke == WAIT_OBJECT_0 && !watch->signalled(::GetTickCount64())) {
        watch = nullptr;
        return {};
    }
    // Checked on every wake, not only on a timeout: the tick's messages may never let the
    // wait run out.
    if (watch->settled(::GetTickCount64())) queue_event(ControllerEvent{MSG_SOURCE_CHANGED, 0, {}});
    return {};
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
            if (!::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (auto waited = wait_for_message_or_change(watch); !waited) return waited;
                continue;
            }
        } else {
            // Nothing but messages to wait for: GetMessage alone is the cheapest wake-up
            // per tick.
            const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
            if (got == -1) return core::fail("Windows message loop failed");
        }
        if (message.message == WM_QUIT) return {};
        const HWND dialog = handler.dialog_window();
        if (dialog != nullptr && ::IsDialogMessageW(dialog, &message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

}  // namespace player
