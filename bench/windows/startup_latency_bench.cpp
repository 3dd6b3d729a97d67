// Start-up latency of the shipped program with the stand-in WebView2 runtime in front of
// Debian's Chromium: from process start to "wallpaper bridge ready" on a first start with
// 32 wallpapers beside the program (installed into the library on the way), split into
// the time the program waited for the browser (environment and controller creation, and
// the page's load minus the program's own request handling, as the stand-in measures it)
// and the program's own work (everything else, Wine's process start included).
// Usage: startup_latency_bench TESSARY_EXE STANDIN_DLL SAMPLE_WALLPAPER [ROUNDS]
// with the relay's port in TESSARY_STANDIN_RELAY (scripts/bench-startup does all that).
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "child_process.h"
#include "player/win32/wide.h"
#include "test_folder.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kWallpapers = 32;
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

bool contains(const std::string& path, const std::string& text) {
    if (path.empty() || ::GetFileAttributesW(win32::to_wide(path).value().c_str()) == INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    return test::read_file(path).find(text) != std::string::npos;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4 || std::getenv("TESSARY_STANDIN_RELAY") == nullptr) {
        std::fprintf(stderr, "usage: startup_latency_bench TESSARY_EXE STANDIN_DLL SAMPLE_WALLPAPER [ROUNDS]\n"
                             "(with the relay's port in TESSARY_STANDIN_RELAY)\n");
        return 2;
    }
    const int rounds = argc > 4 ? std::atoi(argv[4]) : 5;
    test::TestFolder root;
    test::make_folder(root / "Tessary");
    const std::string exe = root / "Tessary\\tessary.exe";
    ::CopyFileW(win32::to_wide(argv[1]).value().c_str(), win32::to_wide(exe).value().c_str(), FALSE);
    ::CopyFileW(win32::to_wide(argv[2]).value().c_str(),
                win32::to_wide(root / "Tessary\\WebView2Loader.dll").value().c_str(), FALSE);
    test::make_folder(root / "Tessary\\wallpapers");
    for (int i = 0; i < kWallpapers; ++i) {
        char id[16];
        std::snprintf(id, sizeof id, "bench-%02d", i);
        const std::string folder = root / (std::string("Tessary\\wallpapers\\") + id);
        test::copy_tree(argv[3], folder);
        test::write_file(folder + "\\manifest.json", std::string("{\n  \"id\": \"") + id + "\",\n  \"name\": \"Bench " +
                                                         id + "\",\n  \"version\": 1,\n  \"entry\": \"index.html\",\n"
                                                         "  \"fps\": 60\n}\n");
    }

    std::vector<Round> measured;
    for (int round = 0; round < rounds; ++round) {
        const std::string local = root / ("AppData" + std::to_string(round));
        test::make_folder(local);
        const std::string standin_log = root / ("standin-" + std::to_string(round) + ".log");
        test::write_file(root / "Tessary\\webview2-standin.ini",
                         "relay=" + std::string(std::getenv("TESSARY_STANDIN_RELAY")) + "\nlog=" + standin_log + "\n");
        const test::Environment environment = {{L"LOCALAPPDATA", win32::to_wide(local).value()}};

        const auto start = Clock::now();
        auto player = test::start_process(exe, {"--preview"}, environment);
        std::string log;
        bool ready = false;
        while (!ready && Clock::now() - start < 120s) {
            if (log.empty()) log = find_log(local);
            ready = contains(log, "wallpaper bridge ready");
            if (!ready) ::Sleep(5);
        }
        const double total = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        test::start_process(exe, {"--exit"}, environment).wait(60s);
        player.wait(60s);
        if (!ready) {
            std::fprintf(stderr, "round %d: the page never reported ready\n", round);
            return 1;
        }
        const std::string standin = test::read_file(standin_log);
        const std::size_t at = standin.find("timing ");
        const std::string line = standin.substr(at, standin.find('\n', at) - at);
        const double browser = number_after(line, "environment") + number_after(line, "controller") +
                               number_after(line, "load") - number_after(line, "handlers");
        measured.push_back({total, browser});
        std::printf("round %d: total %.0f ms, waiting for the browser %.0f ms, own work %.0f ms (%s)\n", round, total,
                    browser, total - browser, line.c_str());
    }
    std::vector<double> totals, browsers, owns;
    for (const Round& r : measured) {
        totals.push_back(r.total_ms);
        browsers.push_back(r.browser_ms);
        owns.push_back(r.total_ms - r.browser_ms);
    }
    std::printf("medians of %d first starts with %d wallpapers: total %.0f ms, own work %.0f ms, waiting for the "
                "browser %.0f ms\n",
                rounds, kWallpapers, median(totals), median(owns), median(browsers));
    return 0;
}
