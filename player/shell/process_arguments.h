#pragma once

#include <string>
#include <vector>

namespace player {

// The process's arguments after the program name, as UTF-8. An argument that is not
// valid UTF-16 cannot name anything the program accepts, so it is passed on empty.
std::vector<std::string> process_arguments();

}  // namespace player
