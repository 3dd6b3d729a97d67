#pragma once

#include <string>
#include <vector>

namespace player::webview2 {

inline constexpr char kArgumentsPolicy[] = "AdditionalBrowserArguments";

// One value under Software\Policies\Microsoft\Edge\WebView2 that the loader applies to
// this program.
struct BrowserPolicy {
    // "AdditionalBrowserArguments", "BrowserExecutableFolder", "UserDataFolder" or
    // "ReleaseChannelPreference".
    std::string policy;
    // The key, from its root: "HKLM\Software\Policies\Microsoft\Edge\WebView2\UserDataFolder".
    std::string key;
    // The program's file name, its AppUserModelID, or "*".
    std::string value_name;
    // The value as text; a value that is not a string is shown by its type.
    std::string value;
};

// The policy values that would reach this program's browser, in the loader's order:
// HKLM before HKCU, and under each the program's file name, its AppUserModelID (when it
// set one) and "*". A key or value that cannot be read is taken as absent.
std::vector<BrowserPolicy> read_browser_policies();

}  // namespace player::webview2
