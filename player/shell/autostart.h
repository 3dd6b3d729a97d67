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
    // Windows' own "Startup apps" switch for the value: a binary value of the same name.
    std::wstring approval_subkey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
    // The program as the system names it; none means the running executable.
    std::optional<std::wstring> program;
};

// The value as it stands in the registry; none when there is none.
core::Result<std::optional<std::string>> read_autostart_value(const AutostartEntry& entry = {});

// The value that would start the program with "--startup".
core::Result<std::string> expected_autostart_value(const AutostartEntry& entry = {});

// Whether Windows' Startup apps switch keeps the value from starting.
core::Result<bool> startup_approval_disables(const AutostartEntry& entry = {});

// True when the value exists, is exactly the expected one and Windows' Startup apps switch
// does not disable it.
core::Result<bool> autostart_status(const AutostartEntry& entry = {});

// Writes (wanted) or removes (not wanted) this program's entry; a value that points
// elsewhere is left alone and reported. Wanted also turns Windows' Startup apps switch for
// it back on (the user asked for the start); not wanted leaves that switch alone. The
// registry is unchanged on every error.
core::Status set_autostart(bool wanted, const AutostartEntry& entry = {});

}  // namespace player
