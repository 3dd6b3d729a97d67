#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "core/folder/wallpaper_folder.h"
#include "tools/wallpkg/lint/page_warnings.h"

namespace wallpkg {

// What lint finds in a folder: every problem by the player's rules, and what its pages do
// that the sandbox will block.
struct FolderLint {
    core::FolderReport report;
    std::vector<PageWarning> warnings;
};

FolderLint lint_folder(std::string_view folder);

// "error: ..." for every problem: the one the player would log first, the others after
// it by their text (which begins with the file), so the order is stable.
std::vector<std::string> problem_lines(const core::FolderReport& report);

// The problem lines, then "warning: FILE:LINE: ..." for every warning.
void print_lint(std::ostream& err, const FolderLint& lint);

}  // namespace wallpkg
