#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace wallpkg {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// Runs the tool on its arguments (program name left out, UTF-8), writing results to out
// and errors to err; returns the process exit code.
int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace wallpkg
