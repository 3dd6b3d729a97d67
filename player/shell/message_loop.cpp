#include "player/shell/message_loop.h"

#include <array>

namespace player {
namespace {

// Sleeps until a message arrives or a watched handle is signalled, and turns the signals
// into queued events: a change of the Run key at once, a change of the author's folder
// once it has been quiet for a moment. Input already seen by an earlier peek counts too,
// so none is left lying.
core::Status wait_for_work(EventHandler& handler, SourceWatch*& watch) {
    std::array<HANDLE, 2> handles{};
    DWORD count = 0;
    const HANDLE autostart = handler.autostart_changed();
    if (autostart != nullptr) handles[count++] = autostart;
    const DWORD source_index = count;
    if (watch != nullptr) handles[count++] = watch->handle();

    const DWORD timeout = watch != nullptr ? watch->wait_ms(::GetTickCount64()) : INFINITE;
    const DWORD woke = ::MsgWaitForMultipleObjectsEx(count, count != 0 ? handles.data() : nullptr, timeout,
                                                     QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woke == WAIT_FAILED) return core::fail("Windows message loop failed");
    if (autostart != nullptr && woke == WAIT_OBJECT_0) {
        queue_event(ControllerEvent{.message = MSG_AUTOSTART_CHANGED});
    } else if (watch != nullptr && woke == WAIT_OBJECT_0 + source_index) {
        // A change only restarts the quiet period. A watch that cannot be re-armed would
        // signal forever: stop watching instead.
        if (!watch->signalled(::GetTickCount64())) watch = nullptr;
    }
    // Checked on every wake, not only on a timeout: the tick's messages may never let the
    // wait run out.
    if (watch != nullptr && watch->settled(::GetTickCount64())) queue_event(ControllerEvent{MSG_SOURCE_CHANGED, 0, {}});
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
        if (!::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (auto waited = wait_for_work(handler, watch); !waited) return waited;
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
