#pragma once

#include <windows.h>

#include "player/shell/autostart.h"

namespace test {

// The test builds of the player keep their autostart switch under a scratch key of the
// current user, never the real Run value: whole-program tests delete it when done.
inline constexpr const wchar_t* kTestAutostartParent = L"Software\\Tessary-test-player";
inline constexpr const wchar_t* kTestRunKey = L"Software\\Tessary-test-player\\Run";
inline constexpr const wchar_t* kTestApprovalKey = L"Software\\Tessary-test-player\\StartupApproved\\Run";

inline player::AutostartEntry test_autostart_entry() {
    return player::AutostartEntry{.root = HKEY_CURRENT_USER, .subkey = kTestRunKey, .approval_subkey = kTestApprovalKey};
}

}  // namespace test
