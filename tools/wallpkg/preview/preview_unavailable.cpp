// For builds without an HTTP server library (the Windows tool): preview says so.
#include "tools/wallpkg/preview/preview_command.h"

#include <ostream>

#include "tools/wallpkg/commands.h"

namespace wallpkg {

int preview(const std::string&, const std::optional<std::string>&, std::ostream&, std::ostream& err) {
    err << "error: preview is not available in this build; use the native wallpkg\n";
    return kExitFailure;
}

}  // namespace wallpkg
