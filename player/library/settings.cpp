#include "player/library/settings.h"

#include <windows.h>

#include "core/settings/settings_text.h"
#include "player/library/fs_guards.h"
#include "player/library/paths.h"
#include "player/log/log.h"
#include "player/win32/file_write.h"
#include "player/win32/system_error.h"
#include "player/win32/unique_resource.h"
#include "player/win32/wide.h"

namespace player {
namespace {

constexpr std::string_view kSettingsFile = "settings.json";
// One fixed name: a temporary file left by a crash is simply overwritten next time.
constexpr std::string_view kTemporaryFile = "settings.json.tmp";
// Far above any real file (a removed list of thousands of ids), low enough that a
// planted giant file cannot exhaust memory.
constexpr std::uint64_t kMaxSettingsBytes = 16 * 1024 * 1024;

core::Status write_whole_file(const std::wstring& path, std::string_view text) {
    const win32::unique_file file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::unexpected(win32::last_error());
    const std::span bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    if (auto written = win32::write_all(file.get(), bytes); !written) return written;
    // The data must be on disk before the rename makes it the settings file.
    if (!::FlushFileBuffers(file.get())) return std::unexpected(win32::last_error());
    return {};
}

}  // namespace

Config load_settings(std::string_view data_folder) {
    const auto bytes = read_file_limited(join_path(data_folder, kSettingsFile), kMaxSettingsBytes);
    if (!bytes) return {};
    auto config = core::parse_settings(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
    return config ? std::move(*config) : Config{};
}

core::Status write_settings_file(std::string_view data_folder, const Config& config) {
    const auto text = core::format_settings(config);
    if (!text) return {};
    auto target = long_path(join_path(data_folder, kSettingsFile));
    if (!target) return std::unexpected(target.error());
    auto temporary = long_path(join_path(data_folder, kTemporaryFile));
    if (!temporary) return std::unexpected(temporary.error());

    // A read-only settings file stays as it is. Windows refuses to rename over one, but
    // not every system does (Wine replaces it), so it is refused here, as Windows would.
    const DWORD attributes = ::GetFileAttributesW(target->c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        return std::unexpected(win32::system_error(ERROR_ACCESS_DENIED));
    }
    if (auto written = write_whole_file(*temporary, *text); !written) {
        ::DeleteFileW(temporary->c_str());
        return written;
    }
    if (!::MoveFileExW(temporary->c_str(), target->c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const core::Error error = win32::last_error();
        ::DeleteFileW(temporary->c_str());
        return std::unexpected(error);
    }
    return {};
}

void save_settings(std::string_view data_folder, const Config& config) {
    if (auto written = write_settings_file(data_folder, config); !written) {
        log_line("settings: " + written.error().chain());
    }
}

}  // namespace player
