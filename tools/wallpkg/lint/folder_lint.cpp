#include "tools/wallpkg/lint/folder_lint.h"

#include <algorithm>
#include <ostream>

#include "tools/wallpkg/folder_source.h"

namespace wallpkg {

FolderLint lint_folder(std::string_view folder) {
    FolderLint lint{.report = check_folder(folder)};
    lint.warnings = scan_wallpaper_pages(lint.report.assets);
    if (lint.report.manifest) {
        if (auto named = folder_name_warning(folder, lint.report.manifest->id)) {
            lint.warnings.insert(lint.warnings.begin(), *named);
        }
    }
    return lint;
}

std::vector<std::string> problem_lines(const core::FolderReport& report) {
    std::vector<std::string> lines;
    for (const core::Error& problem : report.problems) lines.push_back("error: " + problem.chain());
    if (lines.size() > 1) std::stable_sort(lines.begin() + 1, lines.end());
    return lines;
}

void print_lint(std::ostream& err, const FolderLint& lint) {
    for (const std::string& line : problem_lines(lint.report)) err << line << '\n';
    for (const PageWarning& warning : lint.warnings) err << "warning: " << describe(warning) << '\n';
}

}  // namespace wallpkg
