#include "tools/wallpkg/preview/preview_command.h"

#include <charconv>
#include <iostream>
#include <mutex>

#include "tools/wallpkg/commands.h"
#include "tools/wallpkg/folder_source.h"
#include "tools/wallpkg/lint/folder_lint.h"
#include "tools/wallpkg/preview/preview_server.h"

namespace wallpkg {

int preview(const std::string& folder, const std::optional<std::string>& port_text, std::ostream& out,
            std::ostream& err) {
    std::uint16_t port = 0;
    if (port_text) {
        const auto [end, error] = std::from_chars(port_text->data(), port_text->data() + port_text->size(), port);
        if (error != std::errc() || end != port_text->data() + port_text->size() || port_text->empty()) {
            err << "error: --port needs a number from 0 to 65535\n";
            return kExitUsage;
        }
    }
    PreviewSession session([folder] { return check_folder(folder); },
                           [&out](std::string_view line) { out << line << std::endl; });
    // A folder that fails the rules is reported exactly as lint reports it; what its pages
    // do that the sandbox blocks is told before they run, and kept on the control page.
    const FolderLint lint = lint_folder(folder);
    print_lint(err, lint);
    if (!lint.report.problems.empty() || !lint.report.manifest) return kExitFailure;
    for (const PageWarning& warning : lint.warnings) session.note_problem("lint: " + describe(warning));
    session.reload();
    return run_preview_server(session, port, out, err);
}

}  // namespace wallpkg
