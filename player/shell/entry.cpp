#include "player/shell/entry.h"

#include <windows.h>

#include "player/library/directories.h"
#include "player/library/fs_guards.h"
#include "player/library/library.h"
#include "player/library/log_file.h"
#include "player/library/paths.h"
#include "player/log/log.h"
#include "player/shell/exe_path.h"
#include "player/shell/player_startup.h"
#include "player/win32/system_error.h"
#include "player/win32/wide.h"
#include "publisher_key.h"

namespace player {
namespace {

constexpr WPARAM kCommandExit = 107;

// Asks a running player of this instance to exit; finding none is not an error.
core::Status request_running_player_exit(const std::string& instance_name) {
    auto title = win32::to_wide(instance_name);
    if (!title) return std::unexpected(title.error());
    const HWND window = ::FindWindowW(L"Tessary.Control", title->c_str());
    if (window == nullptr) return {};
    if (!::PostMessageW(window, WM_COMMAND, kCommandExit, 0)) {
        return core::fail("cannot request player exit: " + std::to_string(::GetLastError()));
    }
    return {};
}

core::Result<std::string> local_app_data() {
    const DWORD needed = ::GetEnvironmentVariableW(L"LOCALAPPDATA", nullptr, 0);
    if (needed == 0) return core::fail("LOCALAPPDATA unavailable");
    std::wstring value(needed, L'\0');
    const DWORD length = ::GetEnvironmentVariableW(L"LOCALAPPDATA", value.data(), needed);
    if (length == 0 || length >= needed) return core::fail("LOCALAPPDATA unavailable");
    value.resize(length);
    return win32::to_utf8(value);
}

// Creates D, D\packages and D\library behind the plain-directory guard.
core::Status prepare_data_folder(const std::string& data_folder) {
    const auto parent = parent_path(data_folder);
    if (!parent) return core::fail("data parent unavailable");
    if (auto plain = check_plain_directory_chain(*parent); !plain) return plain;

    if (auto created = create_directory_tree(data_folder); !created) return created;
    if (auto created = create_directory_tree(join_path(data_folder, "packages")); !created) {
        return created;
    }
    if (auto plain = check_plain_directory_chain(data_folder); !plain) return plain;

    const std::string library = library_folder(data_folder);
    if (!can_examine(library)) {
        if (auto created = create_directory(library); !created) return created;
    }
    return check_plain_directory_chain(library);
}

}  // namespace

core::Status run_entry(const std::vector<std::string>& args, const WebLayerFactory& make_web_layer,
                       const core::BuildFlags& build_flags, const AutostartEntry& autostart) {
    auto key = core::parse_publisher_key(kBuiltInPublisherKey);
    if (!key) return std::unexpected(key.error());
    EntryContext context{.publisher_key = *key,
                         .instance_name = build_flags.local_preview ? core::preview_instance_name(*key)
                                                                    : core::instance_name(*key),
                         .autostart = autostart};

    auto options = core::parse_startup_options(args);
    if (!options) return std::unexpected(options.error());
    context.options = std::move(*options);

    auto exe_path = executable_path();
    if (!exe_path) return std::unexpected(exe_path.error());
    const auto exe_folder = parent_path(*exe_path);
    if (!exe_folder) return core::fail("exe directory unavailable");
    context.exe_folder = *exe_folder;

    if (build_flags.local_preview) {
        auto source = core::source_folder_option(args);
        if (!source) return std::unexpected(source.error());
        context.source_folder = std::move(*source);
    } else if (auto source = core::check_source_option(args); !source) {
        return source;
    }

    if (context.options.exit_request) return request_running_player_exit(context.instance_name);

    auto app_data = local_app_data();
    if (!app_data) return std::unexpected(app_data.error());
    context.data_folder = join_path(*app_data, context.instance_name);
    if (auto prepared = prepare_data_folder(context.data_folder); !prepared) return prepared;

    if (auto opened = open_log(context.data_folder); !opened) return opened;
    log_line(core::startup_log_message(build_flags, context.data_folder));

    return run_player(context, make_web_layer);
}

}  // namespace player
