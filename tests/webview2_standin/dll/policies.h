#pragma once

#include <string>
#include <vector>

namespace standin {

// One value of the loader's policy keys that applies to this process, in the loader's
// order (HKLM, then HKCU; named after the exe, its AppUserModelID or "*").
struct Policy {
    std::string name, root, value_name, value;
};
std::vector<Policy> read_policies();

}  // namespace standin
