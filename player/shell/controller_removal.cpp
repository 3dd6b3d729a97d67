// The delete command: a library wallpaper goes to the Recycle Bin, and playback moves on.
#include <algorithm>

#include "core/content/wallpaper_id.h"
#include "core/library/removal.h"
#include "core/web/state_push.h"
#include "player/library/fs_guards.h"
#include "player/library/removal.h"
#include "player/shell/player_controller.h"
#include "player/windows/host_build.h"

namespace player {

core::Status PlayerController::remove_wallpaper(const std::optional<std::string>& pending_id) {
    if (!pending_id) return {};
    const std::string& id = *pending_id;
    if (auto valid = core::validate_library_id(id); !valid) return valid;
    reload_library();
    const auto index = core::find_entry_index(library_.entries, id);
    if (!index) return core::fail(std::string(core::kRemovalNotListedMessage));
    const LibraryEntry entry = library_.entries[*index];
    if (auto inside = check_removable_folder(data_folder_, id, entry.folder); !inside) return inside;
    if (auto plain = check_plain_directory_chain(entry.folder); !plain) return plain;

    const bool playing = current_ && current_->manifest.id == id;
    const std::optional<LibraryEntry> neighbour = core::removal_neighbour(library_.entries, *index);
    const HWND owner = dialog_window();
    if (!removal_prompts_.confirm(owner, entry.name, core::removal_extra_line(playing, neighbour.has_value()))) {
        return {};
    }
    auto recycled = removal_prompts_.recycle(owner, entry.folder);
    if (!recycled) return std::unexpected(recycled.error());
    if (*recycled == RecycleOutcome::not_moved) return {};

    log("library item moved to the Recycle Bin: " + id);
    if (std::find(settings_.removed.begin(), settings_.removed.end(), id) == settings_.removed.end()) {
        settings_.removed.push_back(id);
    }
    if (!playing && settings_.selected_id == id) settings_.selected_id.reset();
    save_settings(data_folder_, settings_);
    reload_library();

    if (!playing) return {};
    if (!neighbour) {
        stop_playback();
        return {};
    }
    if (auto selected = select_listed(neighbour->id); !selected) {
        // Whatever the failed selection left behind belongs to a wallpaper that is gone.
        stop_playback();
        return selected;
    }
    return {};
}

void PlayerController::stop_playback() {
    close_host_and_repaint(host_);
    // Nothing loads now, so the readiness limit has nothing to time.
    host_.load_start.reset();
    current_.reset();
    source_path_.reset();
    from_library_ = false;
    // Nothing plays, so the tick only has the control window to refresh.
    ::SetTimer(controller_window_.handle(), kTickTimerId, static_cast<UINT>(core::kPausedTickInterval.count()),
               nullptr);
}

}  // namespace player
