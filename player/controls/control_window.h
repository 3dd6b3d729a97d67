#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "core/controls/panel_content.h"
#include "core/error/error.h"
#include "core/library/library.h"
#include "player/controls/panel_state.h"
#include "player/win32/unique_resource.h"

namespace player {

// Registers the control window's class with its procedure.
core::Status register_panel_window_class();

// The player's visible control window. Every user action in it leaves only as a command
// posted to the controller window; the controller changes the window only through
// refresh. Destroying the window frees its state.
class ControlWindow {
public:
    HWND handle() const { return window_.get(); }

    // Replaces what the window shows; redraws only what changed. Runs on every tick, so an
    // unchanged library costs a comparison, not a copy.
    void refresh(const core::PanelContent& content, const std::vector<core::LibraryEntry>& library,
                 const std::optional<std::string>& id_in_use);

    // Whether a handler of the window runs right now (a nested loop inside it): the
    // controller then leaves the pending requests alone.
    bool in_use() const;
    // The id the user clicked, or asked to delete; taking one clears it.
    std::optional<std::string> take_pending_selection();
    std::optional<std::string> take_pending_deletion();

    bool autostart_checked() const;
    void set_autostart_checked(bool checked);

    // Shows the window, restored if minimised. The first time it is painted, controls
    // included, before it first reaches the screen: never a frame of another size or an
    // unpainted one. Refresh it with the library first, so that its size is final.
    void show();

private:
    friend core::Result<ControlWindow> create_control_window(HWND controller);
    ControlWindow(win32::unique_window window, PanelState* state) : window_(std::move(window)), state_(state) {}

    win32::unique_window window_;
    PanelState* state_ = nullptr;  // owned by the window
    bool shown_before_ = false;
};

// Creates the window and its controls at the size the layout gives, hidden until show().
// Errors: "control window creation failed: ...", "control creation failed: ...".
core::Result<ControlWindow> create_control_window(HWND controller);

}  // namespace player
