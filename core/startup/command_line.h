#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/content/wallpaper_id.h"
#include "core/error/error.h"

namespace core {

// A wallpaper id that passed the id rule for requested ids. Only validate_requested_id
// makes one, so whoever holds one (the start-up, a hand-off, a selection) checks nothing
// again.
class RequestedId {
public:
    const WallpaperId& value() const { return id_; }
    bool operator==(std::string_view other) const { return id_ == other; }

private:
    friend Result<RequestedId> validate_requested_id(std::string_view id);
    explicit RequestedId(std::string_view id) : id_(id) {}
    WallpaperId id_;
};

// What the command line asked for; filled once at start and read-only afterwards.
struct StartupOptions {
    bool startup = false;  // launched by the autostart entry
    std::optional<RequestedId> select_wallpaper;
    std::optional<std::string> package_path;
    bool preview = false;
    bool exit_request = false;
};

// Reads the arguments after the program name. Options may stand in any order, a repeated
// option counts at its first occurrence and unknown arguments are ignored. Fails only on a
// bad "--select-wallpaper"; "--source" is checked separately, later in the start-up.
Result<StartupOptions> parse_startup_options(const std::vector<std::string>& args);

// "--source" names an author's folder, which only an author-preview build may play;
// the specified build refuses it here.
Status check_source_option(const std::vector<std::string>& args);

// The author-preview build's reading of "--source": the folder, none when the option is
// absent, or "--source needs a local wallpaper directory" without a value.
Result<std::optional<std::string>> source_folder_option(const std::vector<std::string>& args);

// The id rule for a requested id (command line, hand-off): any failure of the library-id
// rule is reported as "invalid wallpaper ID".
Result<RequestedId> validate_requested_id(std::string_view id);

}  // namespace core
