#pragma once

#include <windows.h>

#include <array>
#include <optional>
#include <utility>
#include <string>
#include <vector>

#include "core/controls/panel_content.h"
#include "core/controls/panel_layout.h"
#include "core/controls/panel_scale.h"
#include "core/controls/status_tone.h"
#include "player/canvas/ui_fonts.h"
#include "player/win32/gdi.h"

namespace player {

// One row of the wallpaper list.
struct PanelEntry {
    std::string id;
    std::string name;

    bool operator==(const PanelEntry&) const = default;
};

// Everything the control window shows and remembers. Owned by the window (attached as its
// user data, freed when it is destroyed); the controller reaches it only through
// ControlWindow.
struct PanelState {
    HWND window = nullptr;
    HWND controller = nullptr;
    bool owned_by_window = false;  // set once creation succeeded; the window then frees it

    // What the window shows: title, status, detail, tone and captions, as the last refresh
    // applied them. It starts as the content of a player still opening.
    core::PanelContent content = core::initial_panel_content();

    std::vector<PanelEntry> wallpapers;
    std::optional<std::string> id_in_use;
    std::optional<std::string> pending_selection;
    std::optional<std::string> pending_deletion;
    std::optional<int> hover_item;
    bool hover_delete_zone = false;
    bool tracking_mouse_leave = false;

    UINT dpi = USER_DEFAULT_SCREEN_DPI;
    UiFonts fonts;
    win32::unique_brush list_brush;
    win32::unique_brush static_brush;
    core::PanelLayout layout;

    // Set while a handler uses the state: a message arriving meanwhile (a repaint sent
    // from inside a handler) gets the default handling instead of a second, nested run.
    bool in_use = false;

    // The child controls by id, recorded at creation. The refresh on every tick needs
    // them, and GetDlgItem walks the window's children, which under Wine is a round trip
    // to the window server each time.
    std::array<std::pair<int, HWND>, 6> children{};
    // The list's selection as the refresh last set or read it; unknown once the user has
    // changed it. Spares the tick a message through the list's subclass chain.
    std::optional<int> list_selection;

    HWND child(int id) const {
        for (const auto& [child_id, handle] : children) {
            if (child_id == id && handle != nullptr) return handle;
        }
        return ::GetDlgItem(window, id);
    }
    int scaled(int units) const { return core::scale_length(static_cast<int>(dpi), units); }
};

// Marks the state in use for one handler.
class StateUse {
public:
    explicit StateUse(PanelState& state) : state_(state) { state_.in_use = true; }
    ~StateUse() { state_.in_use = false; }
    StateUse(const StateUse&) = delete;
    StateUse& operator=(const StateUse&) = delete;

private:
    PanelState& state_;
};

}  // namespace player
