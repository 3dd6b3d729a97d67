#include <iostream>
#include <string>
#include <vector>

#include "tools/wallpkg/commands.h"

#if defined(_WIN32)
#include "core/text/utf.h"

// Windows hands the arguments over as UTF-16; inside everything is UTF-8.
int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const std::wstring_view wide(argv[i]);
        const auto text = core::utf16_to_utf8(std::u16string(wide.begin(), wide.end()));
        if (!text) {
            std::cerr << "error: argument " << i << " is not valid Unicode\n";
            return wallpkg::kExitUsage;
        }
        args.push_back(*text);
    }
    return wallpkg::run(args, std::cout, std::cerr);
}

#else

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return wallpkg::run(args, std::cout, std::cerr);
}

#endif
