#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace wallpkg {

// What a script does that the page's policy refuses, found by a small JavaScript
// tokenizer (comments, strings, template literals, regular expressions told from division
// by the token before them) and a look at the tokens around a few names.
struct ScriptFinding {
    enum class Kind { eval, function_constructor, string_timer, worker, web_assembly, module_specifier };
    Kind kind = Kind::eval;
    std::size_t line = 1;
    std::string detail;  // the timer's name, or the module specifier as written
};

void scan_script(std::string_view script, std::size_t first_line,
                 const std::function<void(const ScriptFinding&)>& visit);

}  // namespace wallpkg
