#include "core/controls/panel_content.h"

#include "core/controls/panel_texts.h"

namespace core {
namespace {

struct StatusRow {
    std::string_view status;
    std::string detail;
    StatusTone tone;
};

// The first row that matches decides.
StatusRow status_row(const PanelInputs& inputs, bool on_desktop) {
    if (inputs.status_text) return {kBusyStatus, *inputs.status_text, StatusTone::problem};
    if (!inputs.wallpaper_name && inputs.library_empty) {
        return {kEmptyStatus, std::string(kEmptyDetail), StatusTone::empty};
    }
    // A page that failed before it was ready counts as still opening.
    const bool playing = inputs.ready && !inputs.failed;
    if (!playing) return {kOpeningStatus, std::string(kOpeningDetail), StatusTone::opening};
    if (on_desktop) {
        if (inputs.user_paused) return {kPausedStatus, std::string(kDesktopDetail), StatusTone::paused};
        return {kDesktopStatus, std::string(kDesktopDetail), StatusTone::desktop};
    }
    if (inputs.desktop_wanted) return {kNotMountedStatus, std::string(kNotMountedDetail), StatusTone::preview};
    return {kPreviewStatus, std::string(kPreviewDetail), StatusTone::preview};
}

}  // namespace

bool PanelContent::operator==(const PanelContent& other) const {
    return title == other.title && status == other.status && detail == other.detail && tone == other.tone &&
           on_desktop == other.on_desktop && user_paused == other.user_paused &&
           controls_live == other.controls_live;
}

PanelContent panel_content(const PanelInputs& inputs) {
    PanelContent content;
    content.on_desktop = inputs.host_exists && inputs.desktop_mounted && inputs.host_visible;
    content.user_paused = inputs.user_paused;
    content.controls_live = inputs.wallpaper_name && inputs.host_exists && inputs.webview_exists;

    content.title = inputs.wallpaper_name ? *inputs.wallpaper_name : std::string(kLibraryTitle);
    StatusRow row = status_row(inputs, content.on_desktop);
    content.status = row.status;
    content.detail = std::move(row.detail);
    content.tone = row.tone;
    if (inputs.library_notice) {
        content.detail += '\n';
        content.detail += *inputs.library_notice;
    }

    content.pause_caption = inputs.user_paused ? kResumeCaption : kPauseCaption;
    content.desktop_caption = content.on_desktop ? kResetDesktopCaption : kSetDesktopCaption;
    content.desktop_enabled = content.tone != StatusTone::empty;
    content.pause_enabled = content.controls_live;
    content.preview_enabled = content.controls_live;
    return content;
}

PanelContent initial_panel_content() {
    PanelContent content;
    content.title = kLibraryTitle;
    content.status = kOpeningStatus;
    content.detail = kInitialDetail;
    content.tone = StatusTone::opening;
    content.pause_caption = kPauseCaption;
    content.desktop_caption = kSetDesktopCaption;
    return content;
}

}  // namespace core
