#pragma once

// The test builds of the player keep their autostart switch under these scratch keys of the
// current user, never the real Run value; whole-program tests delete them when done.
namespace test {
inline constexpr const wchar_t* kTestAutostartParent = L"Software\\Tessary-test-player";
inline constexpr const wchar_t* kTestRunKey = L"Software\\Tessary-test-player\\Run";
inline constexpr const wchar_t* kTestApprovalKey = L"Software\\Tessary-test-player\\StartupApproved\\Run";
}  // namespace test
