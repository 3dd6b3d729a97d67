#include "player/shell/autostart.h"

#include <array>

#include "core/shell/autostart_value.h"
#include "core/shell/startup_approved.h"
#include "player/shell/exe_path.h"
#include "player/win32/system_error.h"
#include "player/win32/unique_resource.h"
#include "player/win32/wide.h"

namespace player {
namespace {

constexpr std::string_view kReadFailed = "无法读取开机启动设置";
constexpr std::string_view kOpenFailed = "无法打开开机启动设置";
constexpr std::string_view kSaveFailed = "开机启动设置保存失败";

// "what（N）"; the cause carries the details for the log, by default the system's own text.
core::Error registry_error(std::string_view what, DWORD code, std::optional<core::Error> cause = std::nullopt) {
    return core::Error(std::string(what) + "（" + std::to_string(code) + "）",
                       cause ? std::move(*cause) : win32::system_error(code));
}

// Opens the key for setting values, made when missing.
core::Result<win32::unique_hkey> key_to_write(HKEY root, const std::wstring& subkey) {
    win32::unique_hkey key;
    const LSTATUS result = ::RegCreateKeyExW(root, subkey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                                             nullptr, key.put(), nullptr);
    if (result != ERROR_SUCCESS) return std::unexpected(registry_error(kOpenFailed, static_cast<DWORD>(result)));
    return key;
}

core::Status change_run_value(const AutostartEntry& entry, core::AutostartChange change, const std::wstring& value) {
    auto key = key_to_write(entry.root, entry.subkey);
    if (!key) return std::unexpected(key.error());
    LSTATUS result = ERROR_SUCCESS;
    if (change == core::AutostartChange::write) {
        const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
        result = ::RegSetValueExW(key->get(), entry.value_name.c_str(), 0, REG_SZ,
                                  reinterpret_cast<const BYTE*>(value.c_str()), bytes);
    } else {
        result = ::RegDeleteValueW(key->get(), entry.value_name.c_str());
        // Gone in the meantime: what was wanted.
        if (result == ERROR_FILE_NOT_FOUND) result = ERROR_SUCCESS;
    }
    if (result != ERROR_SUCCESS) {
        return std::unexpected(registry_error(kSaveFailed, static_cast<DWORD>(result)));
    }
    return {};
}

// Turns Windows' Startup apps switch for the value on, as Task Manager does.
core::Status enable_startup_approval(const AutostartEntry& entry) {
    auto key = key_to_write(entry.root, entry.approval_subkey);
    if (!key) return std::unexpected(key.error());
    const LSTATUS result =
        ::RegSetValueExW(key->get(), entry.value_name.c_str(), 0, REG_BINARY, core::kStartupApprovalEnabled.data(),
                         static_cast<DWORD>(core::kStartupApprovalEnabled.size()));
    if (result != ERROR_SUCCESS) return std::unexpected(registry_error(kSaveFailed, static_cast<DWORD>(result)));
    return {};
}

}  // namespace

core::Result<std::optional<std::string>> read_autostart_value(const AutostartEntry& entry) {
    win32::unique_hkey key;
    LSTATUS result = ::RegOpenKeyExW(entry.root, entry.subkey.c_str(), 0, KEY_QUERY_VALUE, key.put());
    if (result == ERROR_FILE_NOT_FOUND) return std::optional<std::string>();
    if (result != ERROR_SUCCESS) return std::unexpected(registry_error(kReadFailed, static_cast<DWORD>(result)));

    std::array<wchar_t, core::kAutostartValueBytes / sizeof(wchar_t)> buffer;
    DWORD type = REG_NONE;
    DWORD size = static_cast<DWORD>(core::kAutostartValueBytes);
    result = ::RegQueryValueExW(key.get(), entry.value_name.c_str(), nullptr, &type,
                                reinterpret_cast<BYTE*>(buffer.data()), &size);
    if (result == ERROR_FILE_NOT_FOUND) return std::optional<std::string>();
    // ERROR_MORE_DATA: longer than any value this program writes.
    if (result != ERROR_SUCCESS) return std::unexpected(registry_error(kReadFailed, static_cast<DWORD>(result)));
    // REG_EXPAND_SZ would be expanded by the shell at logon, so it can never be compared
    // character for character; it is reported the way RegGetValueW reports a wrong type.
    if (type != REG_SZ) return std::unexpected(registry_error(kReadFailed, ERROR_UNSUPPORTED_TYPE));

    std::wstring_view text(buffer.data(), size / sizeof(wchar_t));
    if (const std::size_t end = text.find(L'\0'); end != std::wstring_view::npos) text = text.substr(0, end);
    auto value = win32::to_utf8(text);
    if (!value) return std::unexpected(registry_error(kReadFailed, ERROR_NO_UNICODE_TRANSLATION, value.error()));
    return std::optional<std::string>(std::move(*value));
}

core::Result<bool> startup_approval_disables(const AutostartEntry& entry) {
    win32::unique_hkey key;
    LSTATUS result = ::RegOpenKeyExW(entry.root, entry.approval_subkey.c_str(), 0, KEY_QUERY_VALUE, key.put());
    if (result == ERROR_FILE_NOT_FOUND) return core::startup_approval_disables(std::nullopt);
    if (result != ERROR_SUCCESS) return std::unexpected(registry_error(kReadFailed, static_cast<DWORD>(result)));
    // The flag is twelve bytes; anything much longer is no flag Windows wrote.
    std::array<std::uint8_t, 256> buffer;
    DWORD size = static_cast<DWORD>(buffer.size());
    result = ::RegQueryValueExW(key.get(), entry.value_name.c_str(), nullptr, nullptr, buffer.data(), &size);
    if (result == ERROR_FILE_NOT_FOUND) return core::startup_approval_disables(std::nullopt);
    if (result != ERROR_SUCCESS) return std::unexpected(registry_error(kReadFailed, static_cast<DWORD>(result)));
    return core::startup_approval_disables(std::span<const std::uint8_t>(buffer.data(), size));
}

core::Result<std::string> expected_autostart_value(const AutostartEntry& entry) {
    std::wstring program;
    if (entry.program) {
        program = *entry.program;
    } else {
        auto running = executable_path_utf16();
        if (!running) return std::unexpected(running.error());
        program = std::move(*running);
    }
    auto path = win32::to_utf8(program);
    if (!path) return core::fail(std::string(core::kUnwritableAutostartPath), path.error());
    return core::autostart_value(*path);
}

core::Result<bool> autostart_status(const AutostartEntry& entry) {
    auto current = read_autostart_value(entry);
    if (!current) return std::unexpected(current.error());
    auto expected = expected_autostart_value(entry);
    if (!expected) return std::unexpected(expected.error());
    if (!core::autostart_enabled(*current, *expected)) return false;
    auto disabled = startup_approval_disables(entry);
    if (!disabled) return std::unexpected(disabled.error());
    return !*disabled;
}

core::Status set_autostart(bool wanted, const AutostartEntry& entry) {
    auto expected = expected_autostart_value(entry);
    if (!expected) return std::unexpected(expected.error());
    auto current = read_autostart_value(entry);
    if (!current) return std::unexpected(current.error());
    auto change = core::plan_autostart_change(*current, *expected, wanted);
    if (!change) return std::unexpected(change.error());
    // Read before anything changes, so that an unreadable flag changes nothing.
    bool approval_disabled = false;
    if (wanted) {
        auto disabled = startup_approval_disables(entry);
        if (!disabled) return std::unexpected(disabled.error());
        approval_disabled = *disabled;
    }
    if (*change != core::AutostartChange::none) {
        const auto value = win32::to_wide(*expected);
        if (!value) return core::fail(std::string(core::kUnwritableAutostartPath), value.error());
        if (auto changed = change_run_value(entry, *change, *value); !changed) return changed;
    }
    if (approval_disabled) {
        if (auto enabled = enable_startup_approval(entry); !enabled) {
            // Back to how it was: a value written a moment ago goes again; one that was
            // there before (ours, as the plan requires) was only written over with itself.
            if (*change == core::AutostartChange::write && !*current) {
                change_run_value(entry, core::AutostartChange::remove, {});
            }
            return enabled;
        }
    }
    return {};
}

}  // namespace player
