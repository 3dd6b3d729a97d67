#include "core/startup/command_line.h"

#include <algorithm>

namespace core {
namespace {

using Args = std::vector<std::string>;

std::optional<std::size_t> first_position(const Args& args, std::string_view option) {
    const auto found = std::find(args.begin(), args.end(), option);
    if (found == args.end()) return std::nullopt;
    return static_cast<std::size_t>(found - args.begin());
}

bool has(const Args& args, std::string_view option) {
    return first_position(args, option).has_value();
}

// The argument after the first occurrence of an option, when it is not another option.
std::optional<std::string> option_value(const Args& args, std::string_view option) {
    const auto position = first_position(args, option);
    if (!position || *position + 1 >= args.size()) return std::nullopt;
    const std::string& value = args[*position + 1];
    if (value.starts_with("--")) return std::nullopt;
    return value;
}

}  // namespace

Result<RequestedId> validate_requested_id(std::string_view id) {
    if (!validate_library_id(id)) return fail("invalid wallpaper ID");
    return RequestedId(id);
}

Result<StartupOptions> parse_startup_options(const Args& args) {
    StartupOptions options;
    options.startup = has(args, "--startup");
    options.preview = has(args, "--preview");
    options.exit_request = has(args, "--exit");

    if (has(args, "--select-wallpaper")) {
        auto id = option_value(args, "--select-wallpaper");
        if (!id) return fail("--select-wallpaper needs a wallpaper ID");
        auto valid = validate_requested_id(*id);
        if (!valid) return std::unexpected(valid.error());
        options.select_wallpaper = std::move(*valid);
    }

    // The package path is taken as given; opening it decides whether it is any good.
    if (const auto position = first_position(args, "--package");
        position && *position + 1 < args.size()) {
        options.package_path = args[*position + 1];
    }
    return options;
}

Status check_source_option(const Args& args) {
    if (!has(args, "--source")) return {};
    if (option_value(args, "--source")) return fail("--source requires an author-preview build");
    return fail("--source needs a local wallpaper directory");
}

Result<std::optional<std::string>> source_folder_option(const Args& args) {
    if (!has(args, "--source")) return std::optional<std::string>();
    auto folder = option_value(args, "--source");
    if (!folder) return fail("--source needs a local wallpaper directory");
    return folder;
}

}  // namespace core
