// Drives the idle-cost measurement of the player: runs the test build of the program (the
// browser is the stand-in, so only the player's own work counts) on the sample wallpapers
// in a fresh folder, and announces on standard output when it has played undisturbed for
// a while ("playing"), when it has paused ("paused") and when it is done ("done"), each
// with the folder the player runs from. Wine
// reports no processor times of other processes, so scripts/bench-idle reads them from
// the host system between these marks.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "child_process.h"
#include "player/library/paths.h"
#include "player/win32/wide.h"
#include "test_folder.h"

namespace {

using namespace std::chrono_literals;

constexpr auto kWindow = 30s;
constexpr auto kSettle = 3s;

// The phase, the folder the player runs from, and whether its control window is visible.
void announce(const char* phase, const std::string& folder) {
    const HWND panel = ::FindWindowW(L"Tessary.Panel", nullptr);
    std::printf("%s %s panel=%s\n", phase, folder.c_str(),
                panel != nullptr && ::IsWindowVisible(panel) ? "shown" : "hidden");
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: idle_cost TEST_PLAYER SAMPLES_FOLDER [PLAYER_ARGUMENT...]\n");
        return 2;
    }
    // "--startup --preview" plays with the control window hidden: started as by Windows,
    // and in a preview window, which Wine can show (it has no desktop to mount on, and a
    // failed mount would bring the control window up).
    const std::vector<std::string> player_arguments(argv + 3, argv + argc);
    test::TestFolder root;
    test::make_folder(root / "Tessary");
    test::copy_tree(argv[2], root / "Tessary\\wallpapers");
    const std::string exe = root / "Tessary\\tessary.exe";
    ::CopyFileW(win32::to_wide(argv[1]).value().c_str(), win32::to_wide(exe).value().c_str(), FALSE);
    test::make_folder(root / "AppData");
    const std::string app_data = root / "AppData";

    auto player = test::start_process(exe, player_arguments, {{L"LOCALAPPDATA", win32::to_wide(app_data).value()}});
    // The data folder is the only one LOCALAPPDATA gets.
    WIN32_FIND_DATAW found;
    std::string log;
    for (int i = 0; i < 100 && log.empty(); ++i) {
        test::pump_messages(100ms);
        const HANDLE find = ::FindFirstFileW(win32::to_wide(root / "AppData\\Tessary-*").value().c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            log = player::join_path(player::join_path(app_data, win32::to_utf8(found.cFileName).value()), "player.log");
            ::FindClose(find);
        }
    }
    if (log.empty() || !test::wait_for_file_text(log, "state paused=false", 60s)) {
        std::fprintf(stderr, "the player did not start playing (log %s):\n%s\n", log.c_str(),
                     log.empty() ? "" : test::read_file(log).c_str());
        return 1;
    }
    test::pump_messages(kSettle);
    announce("playing", root.path());
    test::pump_messages(kWindow + kSettle);

    const std::wstring title = win32::to_wide(player::parent_path(log).value().substr(app_data.size() + 1)).value();
    const HWND window = ::FindWindowW(L"Tessary.Control", title.c_str());
    ::PostMessageW(window, WM_COMMAND, 101, 0);
    if (!test::wait_for_file_text(log, "state paused=true", 10s)) {
        std::fprintf(stderr, "the player did not pause\n");
        return 1;
    }
    test::pump_messages(kSettle);
    announce("paused", root.path());
    test::pump_messages(kWindow + kSettle);
    ::PostMessageW(window, WM_COMMAND, 107, 0);
    player.wait(30s);
    announce("done", root.path());
    return 0;
}
