#pragma once

#include "player/windows/host_state.h"

namespace player {

// Places built hosts on the desktop (behind the icons) or as the preview window.
class DesktopPlacement final : public HostPlacement {
public:
    void prepare_window_dpi(HostState& host) override;
    core::Status place(HostState& host, bool fallback_to_preview) override;
};

// Applies the wanted mode to an existing host (the mode commands and the recovery step).
core::Status apply_host_mode(HostState& host, bool fallback_to_preview);

// Shows a host on the desktop once its page has reported; a rebuilt host stays hidden
// there until then, as a dead page's host does.
void show_reported_page(HostState& host);

// Closes the host for good (exit, nothing left to play); where it was on the desktop,
// Explorer is asked to paint its own background again.
void close_host_and_repaint(HostState& host);

}  // namespace player
