#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "player/shell/entry.h"
#include "player/shell/startup_failure.h"
#include "player/win32/unique_resource.h"
#include "player/win32/wide.h"

namespace {

// The arguments after the program name, as UTF-8. An argument that is not valid UTF-16
// cannot name anything this program accepts, so it is passed on empty.
std::vector<std::string> command_line_arguments() {
    int count = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    const win32::unique_local owner(argv);
    std::vector<std::string> args;
    for (int i = 1; argv != nullptr && i < count; ++i) {
        args.push_back(win32::to_utf8(argv[i]).value_or(std::string()));
    }
    return args;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    if (auto result = player::run_entry(command_line_arguments()); !result) {
        player::report_startup_failure(result.error());
    }
    // A reported start-up failure is an orderly end too: the user has seen the message.
    return 0;
}
