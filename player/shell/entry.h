#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/error/error.h"
#include "core/startup/command_line.h"
#include "core/startup/instance.h"
#include "player/shell/autostart.h"
#include "player/windows/web_layer.h"

namespace player {

// Creates the browser engine with its profile folder. The shipped program uses WebView2;
// a test build of the program plugs in a scriptable stand-in.
using WebLayerFactory = std::function<std::unique_ptr<WebLayer>(const std::string& profile_folder)>;

// What the entry learned before the player proper starts.
struct EntryContext {
    core::PublisherKey publisher_key;
    std::string instance_name;
    core::StartupOptions options;
    std::string exe_folder;
    std::string data_folder;
    // The author-preview build's "--source" folder.
    std::optional<std::string> source_folder;
    // Where the autostart switch lives: the real Run value, or a test build's scratch key.
    AutostartEntry autostart;
};

// Command line, publisher key, data folder and log, then the player itself. An error here
// is a start-up failure for the caller to report.
// The flags say which build this is; only an author-preview build accepts "--source", and
// it keeps its data apart from the player's.
core::Status run_entry(const std::vector<std::string>& args, const WebLayerFactory& make_web_layer,
                       const core::BuildFlags& build_flags = {}, const AutostartEntry& autostart = {});

}  // namespace player
