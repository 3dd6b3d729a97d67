#pragma once

#include <string>
#include <vector>

#include "core/error/error.h"
#include "core/startup/command_line.h"
#include "core/startup/instance.h"

namespace player {

// What the entry learned before the player proper starts.
struct EntryContext {
    core::PublisherKey publisher_key;
    std::string instance_name;
    core::StartupOptions options;
    std::string exe_folder;
    std::string data_folder;
};

// Command line, publisher key, data folder and log, then the player itself. An error here
// is a start-up failure for the caller to report.
core::Status run_entry(const std::vector<std::string>& args);

}  // namespace player
