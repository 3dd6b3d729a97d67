#pragma once

#include <windows.h>

#include "core/error/error.h"
#include "player/events/controller_event.h"
#include "player/shell/source_watch.h"

namespace player {

// What the main loop drives: the controller, seen as a consumer of queued events.
class EventHandler {
public:
    virtual ~EventHandler() = default;

    // Handles one event. Returns false when the rest of the queue must be dropped
    // (the exit command has posted the quit message).
    virtual bool handle_event(const ControllerEvent& event) = 0;

    // The control window, whose dialog messages (keyboard navigation) the dialog manager
    // handles; null while there is none.
    virtual HWND dialog_window() const = 0;

    // An event the system sets when the Run key's values change, waited on beside the
    // messages and turned into MSG_AUTOSTART_CHANGED; null while nothing watches the key.
    virtual HANDLE autostart_changed() const { return nullptr; }
};

// Drains the event queue, then waits for the next message, until the quit message. It
// also waits on the handler's Run-key change event, queuing MSG_AUTOSTART_CHANGED, and,
// with a source watch (the author-preview build), on the folder's change notification,
// queuing MSG_SOURCE_CHANGED once a change has settled.
core::Status run_message_loop(EventHandler& handler, SourceWatch* watch = nullptr);

}  // namespace player
