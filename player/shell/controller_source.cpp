// The author-preview build's source folder: verified by every rule a library folder
// must pass, played where it lies, and played again when it changes.
#include "player/library/library.h"
#include "player/shell/player_controller.h"

namespace player {
namespace {

// The control window's status line for a folder that breaks a rule. Unlike the player's
// own failures, the author needs the rule itself, so the message is shown as it is.
constexpr std::string_view kSourceProblem = "作品文件夹未通过验证：";

}  // namespace

void PlayerController::start_source(std::string folder) {
    source_folder_ = std::move(folder);
    if (auto played = play_source_folder(); !played) report_error("source", played.error());
}

// A folder that breaks a rule is shown with the rule and changes nothing: the last good
// version keeps playing. Anything after the rules is an ordinary playback failure.
core::Status PlayerController::play_source_folder() {
    auto item = load_wallpaper_folder(*source_folder_);
    if (!item) {
        log("source: " + item.error().chain());
        host_.status_text = std::string(kSourceProblem) + item.error().chain();
        return {};
    }
    log("source load: id=" + item->manifest.id + " path=" + *source_folder_);
    // Reopening (the "set as desktop wallpaper" command with nothing playing) verifies
    // the folder again as a library folder would be; the settings it writes are this
    // build's own.
    source_path_ = *source_folder_;
    from_library_ = true;
    current_ = std::make_shared<const core::WallpaperItem>(std::move(*item));
    return build_host_for_current(true);
}

void PlayerController::reload_source() {
    if (!source_folder_) return;
    log("source changed: " + *source_folder_);
    if (auto played = play_source_folder(); !played) report_error("source", played.error());
    refresh_control();
}

}  // namespace player
