#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace core {

// The player's persisted settings.
struct Config {
    std::optional<std::string> package;      // the package file last opened
    std::optional<std::string> selected_id;  // the library wallpaper last played
    std::vector<std::string> removed;        // ids the user deleted
    std::optional<std::uint32_t> fps;        // counts only when 30 or 60

    bool operator==(const Config&) const = default;
};

}  // namespace core
