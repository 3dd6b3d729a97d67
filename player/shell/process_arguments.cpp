#include "player/shell/process_arguments.h"

#include <windows.h>
#include <shellapi.h>

#include "player/win32/unique_resource.h"
#include "player/win32/wide.h"

namespace player {

std::vector<std::string> process_arguments() {
    int count = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    const win32::unique_local owner(argv);
    std::vector<std::string> args;
    for (int i = 1; argv != nullptr && i < count; ++i) {
        args.push_back(win32::to_utf8(argv[i]).value_or(std::string()));
    }
    return args;
}

}  // namespace player
