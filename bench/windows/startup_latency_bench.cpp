// Start-up latency of the shipped program with the stand-in WebView2 runtime in front of
// Debian's Chromium: from process start to "wallpaper bridge ready", split into the time
// the program waited for the browser (environment and controller creation, and the page's
// load minus the program's own request handling, as the stand-in measures it) and the
// program's own work (everything else, Wine's process start included). Two cases:
// - first start: 32 wallpapers beside the program, installed into the library on the way;
// - warm start: 128 wallpapers of about 3 MiB each already installed, as at every logon.
//   Its own work is set beside a floor measured in the same round: a one-window program's
//   start to its first message plus one plain read of the library's files. The goal is
//   own work at most 1.3 x the floor.
// Usage: startup_latency_bench TESSARY_EXE STANDIN_DLL SAMPLE_WALLPAPER MINIMAL_WINDOW
//        [ROUNDS] [first|warm|both]
// with the relay's port in TESSARY_STANDIN_RELAY (scripts/bench-startup does all that).
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "child_process.h"
#include "player/library/paths.h"
#include "player/win32/unique_resource.h"
#include "player/win32/wide.h"
#include "test_folder.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kWallpapers = 32;
constexpr int kWarmWallpapers = 128;
// Beside the sample's own small files, the assets a wallpaper of realistic size carries.
struct Asset {
    const char* path;
    std::size_t size;
};
constexpr Asset kWarmAssets[] = {{"js\\app.js", 512 * 1024}, {"img\\sky.webp", 1024 * 1024},
                                 {"img\\sea.webp", 1536 * 1024}};
constexpr char kInstance[] = "Tessary-";

struct Round {
    double total_ms = 0;
    double browser_ms = 0;
};

double number_after(const std::string& line, const std::string& key) {
    const std::size_t at = line.find(key + "=");
    return at == std::string::npos ? 0 : std::atof(line.c_str() + at + key.size() + 1);
}

std::string find_log(const std::string& local_app_data) {
    WIN32_FIND_DATAW found{};
    const std::wstring pattern = win32::to_wide(local_app_data + "\\" + kInstance + "*").value();
    const HANDLE search = ::FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return {};
    ::FindClose(search);
    return local_app_data + "\\" + win32::to_utf8(found.cFileName).value() + "\\player.log";
}

bool contains(const std::string& path, const std::string& text, std::size_t from = 0) {
    if (path.empty() || ::GetFileAttributesW(win32::to_wide(path).value().c_str()) == INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    return test::read_file(path).find(text, from) != std::string::npos;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double milliseconds_since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void write_manifest(const std::string& folder, const std::string& id) {
    test::write_file(folder + "\\manifest.json", "{\n  \"id\": \"" + id + "\",\n  \"name\": \"Bench " + id +
                                                     "\",\n  \"version\": 1,\n  \"entry\": \"index.html\",\n"
                                                     "  \"fps\": 60\n}\n");
}

// A copy of the sample in parent, named by the format and number and given that id.
std::string copy_sample(const char* sample, const std::string& parent, const char* format, int number) {
    char id[16];
    std::snprintf(id, sizeof id, format, number);
    const std::string folder = parent + "\\" + id;
    test::copy_tree(sample, folder);
    write_manifest(folder, id);
    return folder;
}

// A program folder: the player and the stand-in loader, the stand-in's settings written per round.
void make_program_folder(const std::string& folder, const char* exe, const char* dll) {
    test::make_folder(folder);
    ::CopyFileW(win32::to_wide(exe).value().c_str(), win32::to_wide(folder + "\\tessary.exe").value().c_str(), FALSE);
    ::CopyFileW(win32::to_wide(dll).value().c_str(), win32::to_wide(folder + "\\WebView2Loader.dll").value().c_str(),
                FALSE);
}

// Starts the player and waits for its page's readiness; then asks it to exit.
bool start_until_ready(const std::string& program, const std::string& local, const std::string& standin_log,
                       Round& round) {
    test::write_file(program + "\\webview2-standin.ini",
                     "relay=" + std::string(std::getenv("TESSARY_STANDIN_RELAY")) + "\nlog=" + standin_log + "\n");
    const test::Environment environment = {{L"LOCALAPPDATA", win32::to_wide(local).value()}};
    const std::string exe = program + "\\tessary.exe";
    // A warm start appends to the log of the starts before it.
    const std::string earlier_log = find_log(local);
    const std::size_t from = contains(earlier_log, "") ? test::read_file(earlier_log).size() : 0;
    const auto start = Clock::now();
    auto player = test::start_process(exe, {"--preview"}, environment);
    std::string log;
    bool ready = false;
    while (!ready && Clock::now() - start < 120s) {
        if (log.empty()) log = find_log(local);
        ready = contains(log, "wallpaper bridge ready", from);
        if (!ready) ::Sleep(5);
    }
    round.total_ms = milliseconds_since(start);
    const std::string player_log = ready ? test::read_file(log).substr(from) : std::string();
    test::start_process(exe, {"--exit"}, environment).wait(60s);
    player.wait(60s);
    if (!ready) return false;
    // The stand-in writes its timing line once the page has loaded, which may be just after
    // the player logged readiness.
    if (!test::wait_for_file_text(standin_log, "timing ", 10s)) {
        std::fprintf(stderr, "the stand-in wrote no timing line\n");
        return false;
    }
    const std::string standin = test::read_file(standin_log);
    const std::size_t at = standin.find("timing ");
    const std::string line = standin.substr(at, standin.find('\n', at) - at);
    round.browser_ms = number_after(line, "environment") + number_after(line, "controller") + number_after(line, "load") -
                       number_after(line, "handlers");
    std::size_t refused = 0;
    for (std::size_t at_line = player_log.find("library rejected item: "); at_line != std::string::npos;
         at_line = player_log.find("library rejected item: ", at_line + 1)) {
        ++refused;
    }
    const std::size_t load = player_log.find("free library load: ");
    std::printf("  total %.0f ms, waiting for the browser %.0f ms, own work %.0f ms (%s; %zu folder(s) refused; %s)\n",
                round.total_ms, round.browser_ms, round.total_ms - round.browser_ms, line.c_str(), refused,
                load == std::string::npos ? "no library load"
                                          : player_log.substr(load, player_log.find('\n', load) - load).c_str());
    return true;
}

// The floor's first half: a program that only shows one window, from its start until its
// window exists (its first messages handled), then closed.
double minimal_window_start_ms(const std::string& minimal_window) {
    const auto start = Clock::now();
    auto program = test::start_process(minimal_window, {});
    HWND window = nullptr;
    while (window == nullptr && Clock::now() - start < 60s) {
        window = ::FindWindowW(L"Minimal.Window", nullptr);
        if (window == nullptr) ::Sleep(1);
    }
    const double elapsed = milliseconds_since(start);
    if (window != nullptr) ::PostMessageW(window, WM_CLOSE, 0, 0);
    program.wait(30s);
    return elapsed;
}

// The floor's second half: every file below the folder opened, sized and read once.
std::uint64_t read_tree_plainly(const std::string& folder) {
    std::uint64_t total = 0;
    WIN32_FIND_DATAW data{};
    const win32::unique_find find(::FindFirstFileW(win32::to_wide(folder + "\\*").value().c_str(), &data));
    if (!find) return 0;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::string path = folder + "\\" + win32::to_utf8(name).value();
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            total += read_tree_plainly(path);
            continue;
        }
        const win32::unique_file file(::CreateFileW(win32::to_wide(path).value().c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                    nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        LARGE_INTEGER size{};
        if (!file || !::GetFileSizeEx(file.get(), &size)) continue;
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
        DWORD read = 0;
        ::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
        total += read;
    } while (::FindNextFileW(find.get(), &data));
    return total;
}

// First starts: a fresh data folder each round, 32 wallpapers beside the program.
bool first_starts(const test::TestFolder& root, char** argv, int rounds) {
    const std::string program = root / "Tessary";
    make_program_folder(program, argv[1], argv[2]);
    test::make_folder(program + "\\wallpapers");
    for (int i = 0; i < kWallpapers; ++i) copy_sample(argv[3], program + "\\wallpapers", "bench-%02d", i);
    std::vector<double> totals, browsers, owns;
    for (int round = 0; round < rounds; ++round) {
        const std::string local = root / ("AppData" + std::to_string(round));
        test::make_folder(local);
        Round measured;
        std::printf("first start %d:\n", round);
        if (!start_until_ready(program, local, root / ("standin-" + std::to_string(round) + ".log"), measured)) {
            std::fprintf(stderr, "first start %d: the page never reported ready\n", round);
            return false;
        }
        totals.push_back(measured.total_ms);
        browsers.push_back(measured.browser_ms);
        owns.push_back(measured.total_ms - measured.browser_ms);
    }
    std::printf("medians of %d first starts with %d wallpapers: total %.0f ms, own work %.0f ms, waiting for the "
                "browser %.0f ms\n",
                rounds, kWallpapers, median(totals), median(owns), median(browsers));
    return true;
}

// Warm starts: one data folder whose library already holds 128 wallpapers, nothing beside
// the program. A start with an empty library makes the data folder first.
bool warm_starts(const test::TestFolder& root, char** argv, const std::string& minimal_window, int rounds) {
    const std::string program = root / "Warm";
    make_program_folder(program, argv[1], argv[2]);
    const std::string local = root / "WarmAppData";
    test::make_folder(local);
    {
        const test::Environment environment = {{L"LOCALAPPDATA", win32::to_wide(local).value()}};
        test::write_file(program + "\\webview2-standin.ini",
                         "relay=" + std::string(std::getenv("TESSARY_STANDIN_RELAY")) + "\n");
        auto player = test::start_process(program + "\\tessary.exe", {"--preview"}, environment);
        const auto start = Clock::now();
        while (!contains(find_log(local), "startup: ") && Clock::now() - start < 60s) ::Sleep(10);
        test::start_process(program + "\\tessary.exe", {"--exit"}, environment).wait(60s);
        player.wait(60s);
    }
    const std::string log = find_log(local);
    if (log.empty()) {
        std::fprintf(stderr, "warm start: the player made no data folder\n");
        return false;
    }
    const std::string library = player::join_path(log.substr(0, log.rfind('\\')), "library");
    test::make_folder(library);
    std::string filler;
    for (int i = 0; i < kWarmWallpapers; ++i) {
        const std::string folder = copy_sample(argv[3], library, "warm-%03d", i);
        test::make_folder(folder + "\\js");
        test::make_folder(folder + "\\img");
        for (const Asset& asset : kWarmAssets) {
            filler.assign(asset.size, static_cast<char>('a' + i % 26));
            test::write_file(folder + "\\" + asset.path, filler);
        }
    }

    std::vector<double> owns, floors, windows, reads, ratios;
    for (int round = 0; round < rounds; ++round) {
        Round measured;
        std::printf("warm start %d:\n", round);
        if (!start_until_ready(program, local, root / ("warm-standin-" + std::to_string(round) + ".log"), measured)) {
            std::fprintf(stderr, "warm start %d: the page never reported ready\n", round);
            return false;
        }
        const double window = minimal_window_start_ms(minimal_window);
        const auto read_start = Clock::now();
        const std::uint64_t bytes = read_tree_plainly(library);
        const double read = milliseconds_since(read_start);
        const double own = measured.total_ms - measured.browser_ms;
        std::printf("  floor %.0f ms (one-window start %.0f ms + plain read of %.0f MiB %.0f ms), own work / floor "
                    "%.2f\n",
                    window + read, window, static_cast<double>(bytes) / (1024 * 1024), read, own / (window + read));
        owns.push_back(own);
        floors.push_back(window + read);
        windows.push_back(window);
        reads.push_back(read);
        ratios.push_back(own / (window + read));
    }
    // The machine's load changes from round to round; each round's own ratio compares work
    // done under the same load.
    std::printf("medians of %d warm starts with %d wallpapers installed: own work %.0f ms, floor %.0f ms "
                "(one-window start %.0f ms + plain read %.0f ms); own work / floor per round: median %.2f "
                "(goal at most 1.30)\n",
                rounds, kWarmWallpapers, median(owns), median(floors), median(windows), median(reads),
                median(ratios));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5 || std::getenv("TESSARY_STANDIN_RELAY") == nullptr) {
        std::fprintf(stderr, "usage: startup_latency_bench TESSARY_EXE STANDIN_DLL SAMPLE_WALLPAPER MINIMAL_WINDOW "
                             "[ROUNDS] [first|warm|both]\n(with the relay's port in TESSARY_STANDIN_RELAY)\n");
        return 2;
    }
    const int rounds = argc > 5 ? std::atoi(argv[5]) : 5;
    const std::string which = argc > 6 ? argv[6] : "both";
    test::TestFolder root;
    if (which != "warm" && !first_starts(root, argv, rounds)) return 1;
    if (which != "first" && !warm_starts(root, argv, argv[4], rounds)) return 1;
    return 0;
}
