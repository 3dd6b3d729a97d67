#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/controls/status_tone.h"

namespace core {

// The controller's state as far as the control window shows it.
struct PanelInputs {
    std::optional<std::string> wallpaper_name;  // the current wallpaper's manifest name
    std::optional<std::string> status_text;
    bool library_empty = true;
    std::optional<std::string> library_notice;
    bool ready = false;
    bool failed = false;
    bool host_exists = false;
    bool webview_exists = false;
    bool desktop_mounted = false;
    bool host_visible = false;
    bool desktop_wanted = false;
    bool user_paused = false;
};

// What the control window shows. The captions are views of static texts.
struct PanelContent {
    std::string title;
    std::string status;
    std::string detail;
    StatusTone tone = StatusTone::opening;
    bool on_desktop = false;
    bool user_paused = false;
    bool controls_live = false;
    std::string_view pause_caption;    // button 101
    std::string_view desktop_caption;  // button 110
    bool desktop_enabled = true;       // button 110
    bool pause_enabled = true;         // button 101
    bool preview_enabled = true;       // button 111

    // Equal when nothing needs redrawing: the seven shown values match (the captions and
    // enabled states follow from them).
    bool operator==(const PanelContent& other) const;
};

PanelContent panel_content(const PanelInputs& inputs);

// The content the window starts with, before the controller's first refresh.
PanelContent initial_panel_content();

}  // namespace core
