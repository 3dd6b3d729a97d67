#pragma once

#include <iosfwd>
#include <optional>
#include <string>

namespace wallpkg {

// "wallpkg preview FOLDER [--port N]": the folder must pass lint; then it is served to
// the author's own browser until the process is stopped. Returns the exit code.
int preview(const std::string& folder, const std::optional<std::string>& port, std::ostream& out, std::ostream& err);

}  // namespace wallpkg
