#pragma once

#include <string>
#include <vector>

namespace standin {

// One value of the loader's policy keys (Software\Policies\Microsoft\Edge\WebView2\NAME,
// under HKLM, then HKCU) that applies to this process: named after the exe, its
// AppUserModelID or "*".
struct Policy {
    std::string name;
    std::string root;
    std::string value_name;
    std::string value;
};

// In the loader's order; the later of two values for one policy wins.
std::vector<Policy> read_policies();

}  // namespace standin
