#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "core/error/error.h"

namespace player {

// Where this executable's Run entry lives and which program it starts. The defaults are the
// real ones; tests point them at a scratch key and a made-up program.
struct AutostartEntry {
    HKEY root = HKEY_CURRENT_USER;
    std::wstring subkey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    std::wstring value_name = L"Tessary";
    // The program as the system names it; none means the running executable.
    std::optional<std::wstring> program;
};

// The value as it stands in the registry; none when there is none.
core::Result<std::optional<std::string>> read_autostart_value(const AutostartEntry& entry = {});

// The value that would start the program with "--startup".
core::Result<std::string> expected_autostart_value(const AutostartEntry& entry = {});

// True when the value exists and is exactly the expected one.
core::Result<bool> autostart_status(const AutostartEntry& entry = {});

// Writes (wanted) or removes (not wanted) this program's entry; a value that points
// elsewhere is left alone and reported. The registry is unchanged on every error.
core::Status set_autostart(bool wanted, const AutostartEntry& entry = {});

}  // namespace player
