// The shipped program under hostile wallpaper pages, with the stand-in WebView2 runtime in
// front of Debian's Chromium: a page that floods the player with messages, one that sends
// 10 MB messages, one that reloads itself in a loop, one that loops forever in script, one
// that asks for missing files as fast as it can and one that takes memory until its
// renderer dies. For each, over a fixed window after the page said it was ready: how many
// messages (or requests, or reloads) reached the player a second, the player's own
// processor time (the browser is other processes), its private memory at the start and
// the end, the control window's slowest answer to WM_NULL and WM_GETTEXT sent from this
// process, and how much the log grew; then a verdict per goal. A program that only shows
// one window runs beside the player and is asked the same way: its slowest answer is what
// this machine and Wine allow any window while the browser rages, not the player's doing.
// A page that ignores the pause and draws every frame is measured as well from the
// browser's side: the processor time of the browser and all its processes while the
// wallpaper can be seen and while it cannot (the session locked), and how soon it is shown
// again once it can; and, as the case "heavy-canvas", at 60 fps, at 30 fps and under the
// user's pause with the wallpaper on view, beside the same page without the script that
// holds its frames.
// Usage: hostile_pages_bench TESSARY_EXE STANDIN_DLL PAGES_FOLDER MINIMAL_WINDOW [PAGE...]
// with the relay's port in TESSARY_STANDIN_RELAY (scripts/bench-hostile does all that).
#include <windows.h>
#include <wtsapi32.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "core/shell/commands.h"
#include "player/win32/wide.h"
#include "player_watch.h"
#include "test_folder.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr double kCpuGoalPercent = 5.0;
constexpr double kResponseGoalMs = 100.0;
constexpr unsigned kResponseTimeoutMs = 5000;
constexpr auto kProbeInterval = 20ms;
// Heap noise a player allowed to have after a flood; more is growth.
constexpr double kMemoryGrowthLimitMiB = 4.0;
// The page's log budget (256 lines and one more) with room for the player's own lines.
constexpr std::uintmax_t kLogGrowthLimit = 64 * 1024;
// A page nobody sees costs at most this, the browser's processes together.
constexpr double kUnseenCpuGoalPercent = 0.5;
constexpr auto kUnseenWindow = 15s;
// The player's tick while paused: the page must be on view again within one.
constexpr auto kOneTick = 500ms;

struct HostilePage {
    const char* name;
    std::chrono::seconds window;
    // What the stand-in log records for each thing that reached the player.
    const char* delivered_line;
    const char* delivered_what;
    bool crashes = false;
    // Also measured seen and unseen from the browser's side.
    bool measures_unseen = false;
};

const HostilePage kPages[] = {
    // A page that does nothing: what the machine and the stand-in cost on their own.
    {"calm", 20s, "\npage posted ", "messages"},
    {"flood-messages", 20s, "\npage posted ", "messages"},
    {"huge-messages", 20s, "\npage posted ", "10 MB messages"},
    {"reload-loop", 20s, "\npage navigated ", "reloads"},
    {"endless-script", 20s, "\npage posted ", "messages"},
    // Draws every frame whatever the player says.
    {"ignores-pause", 20s, "\npage posted ", "messages", false, true},
    {"missing-files", 20s, "\nserved 404 ", "refused requests"},
    // Three renderer deaths at the recovery pace, then the player gives up.
    {"memory-hog", 75s, "\nrenderer crashed ", "renderer deaths", true},
};

std::string find_log(const std::string& local_app_data) {
    WIN32_FIND_DATAW found{};
    const std::wstring pattern = win32::to_wide(local_app_data + "\\Tessary-*").value();
    const HANDLE search = ::FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return {};
    ::FindClose(search);
    return local_app_data + "\\" + win32::to_utf8(found.cFileName).value() + "\\player.log";
}

std::uintmax_t file_size(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(win32::to_wide(path).value().c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<std::uintmax_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::string read_if_there(const std::string& path) {
    return path.empty() || file_size(path) == 0 ? std::string() : test::read_file(path);
}

std::size_t count(const std::string& text, const std::string& what, std::size_t from = 0) {
    std::size_t found = 0;
    for (std::size_t at = text.find(what, from); at != std::string::npos; at = text.find(what, at + what.size())) {
        ++found;
    }
    return found;
}

bool wait_for(const std::string& path, const std::string& text, std::chrono::seconds limit) {
    const auto deadline = Clock::now() + limit;
    while (Clock::now() < deadline) {
        if (read_if_there(path).find(text) != std::string::npos) return true;
        ::Sleep(100);
    }
    return false;
}

// The page's own count: "hostile posted N in T ms" (the last one), as a rate.
std::optional<double> page_rate(const std::string& standin) {
    const std::size_t at = standin.rfind("hostile posted ");
    if (at == std::string::npos) return std::nullopt;
    const double posted = std::atof(standin.c_str() + at + 15);
    const std::size_t in = standin.find(" in ", at);
    const double ms = in == std::string::npos ? 0 : std::atof(standin.c_str() + in + 4);
    return ms > 0 ? std::optional(posted * 1000 / ms) : std::nullopt;
}

// Both logs, the stand-in's without the page's posts and with long lines cut.
void print_logs(const std::string& player_log, const std::string& standin) {
    std::printf("--- player log\n%s--- stand-in log (without the page's posts)\n", player_log.c_str());
    std::size_t at = 0;
    for (std::size_t end; (end = standin.find('\n', at)) != std::string::npos; at = end + 1) {
        if (standin.compare(at, 12, "page posted ") == 0) continue;
        std::printf("%s\n", standin.substr(at, std::min<std::size_t>(end - at, 300)).c_str());
    }
}

const char* verdict(bool met) { return met ? "OK" : "MISSED"; }

// The profile folder the relay gave the page's browser, which names it among processes.
std::string browser_marker(const std::string& standin) {
    const std::size_t at = standin.find("--user-data-dir=");
    if (at == std::string::npos) return {};
    return standin.substr(at, standin.find(' ', at) - at);
}

// Percent of one core the browser used over the window.
double browser_cpu(const std::string& marker, std::chrono::seconds window) {
    const double start = bench::browser_processor_seconds(marker);
    const auto began = Clock::now();
    std::this_thread::sleep_for(window);
    const double seconds = std::chrono::duration<double>(Clock::now() - began).count();
    return (bench::browser_processor_seconds(marker) - start) / seconds * 100;
}

// Seen, then unseen (the session locked), then seen again: the browser's cost each way, and
// whether the page is on view again within one tick of being seen.
bool measure_unseen(HWND controller, const std::string& standin_log) {
    const std::string marker = browser_marker(read_if_there(standin_log));
    if (marker.empty()) {
        std::printf("  the browser's profile is not in the stand-in's log\n");
        return false;
    }
    const double seen = browser_cpu(marker, kUnseenWindow);
    ::PostMessageW(controller, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 0);
    std::this_thread::sleep_for(2s);  // hidden and suspended at the next tick
    const double unseen = browser_cpu(marker, kUnseenWindow);
    const std::size_t mark = read_if_there(standin_log).size();
    const auto unlocked = Clock::now();
    ::PostMessageW(controller, WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 0);
    std::optional<double> shown_ms;
    while (!shown_ms && Clock::now() - unlocked < 5s) {
        if (read_if_there(standin_log).find("call put_IsVisible TRUE", mark) != std::string::npos) {
            shown_ms = std::chrono::duration<double, std::milli>(Clock::now() - unlocked).count();
        }
        std::this_thread::sleep_for(10ms);
    }
    const bool cheap = unseen <= kUnseenCpuGoalPercent;
    const bool back = shown_ms && *shown_ms <= std::chrono::duration<double, std::milli>(kOneTick).count();
    std::printf("  browser cpu (all its processes) while seen: %.2f%% of one core; while nobody can see it: %.2f%% "
                "(goal at most %.1f%%): %s\n",
                seen, unseen, kUnseenCpuGoalPercent, verdict(cheap));
    std::printf("  shown again %.0f ms after it can be seen (goal within one tick, %lld ms): %s\n",
                shown_ms.value_or(-1), static_cast<long long>(kOneTick.count()), verdict(back));
    return cheap && back;
}

double mib(std::uint64_t bytes) { return static_cast<double>(bytes) / (1024 * 1024); }

struct Outcome {
    bool all_met = true;
    void goal(bool met) { all_met = all_met && met; }
};

struct Answers {
    std::vector<double> times;  // ms, sorted once the window is over
    double worst_at = 0;        // seconds into the window

    void add(double ms, double seconds_in) {
        if (times.empty() || ms >= *std::max_element(times.begin(), times.end())) worst_at = seconds_in;
        times.push_back(ms);
    }
    double worst() const { return times.back(); }
    double median() const { return times[times.size() / 2]; }
    double percentile_99() const { return times[times.size() * 99 / 100]; }
};

// What the bench hands every player it starts: the programs, and the folder of pages.
struct Programs {
    std::string exe;
    std::string dll;
    std::string pages_folder;
    std::string minimal_window;
};

// A portable copy of the player with one page and the stand-in beside it, started in
// preview, once the page said it was ready.
struct StartedPlayer {
    test::ChildProcess process;
    std::string exe;
    std::string standin_log;
    std::string log;
    test::Environment environment;
};

std::optional<StartedPlayer> start_with_page(const test::TestFolder& root, const Programs& programs,
                                             const std::string& page, const std::string& standin_lines = {}) {
    test::make_folder(root / "Tessary");
    test::make_folder(root / "Tessary\\wallpapers");
    test::make_folder(root / "AppData");
    const std::string exe = root / "Tessary\\tessary.exe";
    ::CopyFileW(win32::to_wide(programs.exe).value().c_str(), win32::to_wide(exe).value().c_str(), FALSE);
    ::CopyFileW(win32::to_wide(programs.dll).value().c_str(),
                win32::to_wide(root / "Tessary\\WebView2Loader.dll").value().c_str(), FALSE);
    test::copy_tree(programs.pages_folder + "\\" + page, root / ("Tessary\\wallpapers\\" + page));
    const std::string standin_log = root / "standin.log";
    test::write_file(root / "Tessary\\webview2-standin.ini", "relay=" + std::string(std::getenv("TESSARY_STANDIN_RELAY")) +
                                                               "\nlog=" + standin_log + "\n" + standin_lines);
    const std::string local = root / "AppData";
    test::Environment environment = {{L"LOCALAPPDATA", win32::to_wide(local).value()}};
    auto player = test::start_process(exe, {"--preview"}, environment);
    std::string log;
    for (int i = 0; i < 300 && log.empty(); ++i, ::Sleep(100)) log = find_log(local);
    if (log.empty() || !wait_for(log, "wallpaper bridge ready", 90s)) {
        std::printf("  the page never reported ready\n%s\n", read_if_there(log).c_str());
        return std::nullopt;
    }
    return StartedPlayer{std::move(player), exe, standin_log, log, std::move(environment)};
}

void stop(StartedPlayer& started) {
    test::start_process(started.exe, {"--exit"}, started.environment).wait(60s);
    started.process.wait(60s);
}

bool run_page(const HostilePage& page, const Programs& programs) {
    test::TestFolder root;
    std::printf("%s:\n", page.name);
    auto started = start_with_page(root, programs, page.name);
    if (!started) return false;
    test::ChildProcess& player = started->process;
    const std::string& exe = started->exe;
    const std::string& log = started->log;
    const std::string& standin_log = started->standin_log;
    const HWND panel = bench::window_of(player.id(), L"Tessary.Panel");
    const HWND controller = bench::window_of(player.id(), L"Tessary.Control");
    const auto unix_pid = bench::unix_process_of(exe);
    auto bystander_process = test::start_process(programs.minimal_window, {});
    HWND bystander = nullptr;
    for (int i = 0; i < 100 && bystander == nullptr; ++i, ::Sleep(100)) {
        bystander = bench::window_of(bystander_process.id(), L"Minimal.Window");
    }
    if (panel == nullptr || controller == nullptr || !unix_pid || bystander == nullptr) {
        std::printf("  cannot find the player's windows, its Linux process or the one-window program\n");
        return false;
    }

    const std::uintmax_t log_start = file_size(log);
    const std::size_t standin_start = read_if_there(standin_log).size();
    const bench::Memory memory_start = bench::memory_of(player.handle(), *unix_pid);
    const double cpu_start = bench::processor_seconds(*unix_pid);
    const double ui_start = bench::processor_seconds(*unix_pid, *unix_pid);
    const auto start = Clock::now();
    Answers answers;
    Answers bystander_answers;
    std::uint64_t anonymous_peak = memory_start.anonymous;
    int toggles = 0;
    for (auto now = start; now - start < page.window; now = Clock::now()) {
        const bool get_text = answers.times.size() % 2 == 1;
        const double seconds_in = std::chrono::duration<double>(now - start).count();
        answers.add(bench::response_ms(panel, get_text, kResponseTimeoutMs), seconds_in);
        if (std::getenv("TESSARY_BENCH_LOGS") != nullptr && answers.times.back() >= kResponseGoalMs) {
            FILETIME now_utc{};
            ::GetSystemTimeAsFileTime(&now_utc);
            const auto ticks = (static_cast<unsigned long long>(now_utc.dwHighDateTime) << 32) | now_utc.dwLowDateTime;
            std::printf("  slow answer %.1f ms at %.1f s in (unix time %.3f)\n", answers.times.back(), seconds_in,
                        static_cast<double>(ticks - 116444736000000000ULL) / 1e7);
        }
        bystander_answers.add(bench::response_ms(bystander, get_text, kResponseTimeoutMs), seconds_in);
        // Pause and resume once each: the player talks to the page while it misbehaves.
        const int due = static_cast<int>(3 * (now - start) / page.window);
        if (due > toggles) {
            ::PostMessageW(controller, WM_COMMAND, core::CMD_TOGGLE_PAUSE, 0);
            ++toggles;
        }
        if (answers.times.size() % 50 == 0) {
            anonymous_peak = std::max(anonymous_peak, bench::memory_of(player.handle(), *unix_pid).anonymous);
        }
        std::this_thread::sleep_for(kProbeInterval);
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const double cpu = (bench::processor_seconds(*unix_pid) - cpu_start) / seconds * 100;
    const double ui_cpu = (bench::processor_seconds(*unix_pid, *unix_pid) - ui_start) / seconds * 100;
    const bench::Memory memory_end = bench::memory_of(player.handle(), *unix_pid);
    const std::uintmax_t log_end = file_size(log);
    const std::string standin = read_if_there(standin_log);
    const std::string player_log = read_if_there(log);
    const bool alive = !player.wait(0ms).has_value();

    Outcome outcome;
    if (page.measures_unseen) outcome.goal(measure_unseen(controller, standin_log));
    const std::size_t delivered = count(standin, page.delivered_line, standin_start > 0 ? standin_start - 1 : 0);
    const auto attempted = page_rate(standin);
    std::printf("  reached the player: %.0f %s a second (%zu in %.0f s)", delivered / seconds, page.delivered_what,
                delivered, seconds);
    if (attempted) std::printf("; the page itself posted or asked %.0f a second", *attempted);
    std::printf("\n");
    outcome.goal(cpu < kCpuGoalPercent);
    std::printf("  player cpu: %.2f%% of one core, %.2f%% on its UI thread (goal under %.0f%%): %s\n", cpu, ui_cpu,
                kCpuGoalPercent, verdict(cpu < kCpuGoalPercent));
    const double growth = mib(memory_end.anonymous) - mib(memory_start.anonymous);
    outcome.goal(growth < kMemoryGrowthLimitMiB);
    std::printf("  private bytes: start %.1f MiB, end %.1f MiB, peak %.1f MiB (resident anonymous; Wine's PrivateUsage "
                "%.1f -> %.1f MiB) (goal: no growth, under %.0f MiB of noise): %s\n",
                mib(memory_start.anonymous), mib(memory_end.anonymous), mib(anonymous_peak),
                mib(memory_start.private_usage), mib(memory_end.private_usage), kMemoryGrowthLimitMiB,
                verdict(growth < kMemoryGrowthLimitMiB));
    ::PostMessageW(bystander, WM_CLOSE, 0, 0);
    bystander_process.wait(10s);
    std::sort(answers.times.begin(), answers.times.end());
    std::sort(bystander_answers.times.begin(), bystander_answers.times.end());
    const double worst_ms = answers.worst();
    outcome.goal(worst_ms < kResponseGoalMs);
    std::printf("  control window: worst answer %.1f ms (%.1f s in) over %zu probes, median %.1f ms, 99th percentile "
                "%.1f ms (goal: worst under %.0f ms): %s\n",
                worst_ms, answers.worst_at, answers.times.size(), answers.median(), answers.percentile_99(),
                kResponseGoalMs, verdict(worst_ms < kResponseGoalMs));
    std::printf("  a one-window program beside it: worst answer %.1f ms (%.1f s in), median %.1f ms, 99th percentile "
                "%.1f ms\n",
                bystander_answers.worst(), bystander_answers.worst_at, bystander_answers.median(),
                bystander_answers.percentile_99());
    // The page may have spent its budget before the window opened: the whole log counts.
    const std::uintmax_t log_growth = log_end - log_start;
    const std::size_t log_lines = count(player_log, "\n");
    outcome.goal(log_end < kLogGrowthLimit);
    std::printf("  log: %.1f KiB in %zu lines at the end, %.1f KiB of it during the window (goal: bounded, under "
                "%.0f KiB): %s\n",
                static_cast<double>(log_end) / 1024, log_lines, static_cast<double>(log_growth) / 1024,
                static_cast<double>(kLogGrowthLimit) / 1024, verdict(log_end < kLogGrowthLimit));
    outcome.goal(alive);
    std::printf("  player still running: %s\n", verdict(alive));
    if (page.crashes) {
        const std::size_t failures = count(player_log, "wallpaper page process failed: ");
        const bool gave_up = player_log.find("failed 3 times within a minute") != std::string::npos;
        const bool no_fourth = standin.find("view 4 created") == std::string::npos;
        outcome.goal(failures == 3 && gave_up && no_fourth);
        std::printf("  renderer deaths handled: %zu logged, gave up after three: %s, no fourth page: %s: %s\n",
                    failures, gave_up ? "yes" : "no", no_fourth ? "yes" : "no",
                    verdict(failures == 3 && gave_up && no_fourth));
    }
    if (std::getenv("TESSARY_BENCH_LOGS") != nullptr) print_logs(player_log, standin);
    std::printf("  verdict: %s\n", outcome.all_met ? "all goals met" : "GOALS MISSED");
    std::fflush(stdout);

    stop(*started);
    return outcome.all_met;
}

// A page that draws a heavy canvas in every animation frame and ignores the state: what the
// browser costs at 60 fps, at 30 fps and under the user's pause with the wallpaper on view,
// with the script that holds frames and without it (which the stand-in leaves out).
constexpr char kPacingCase[] = "heavy-canvas";
constexpr char kPacingPage[] = "ignores-pause";
constexpr char kPacingScriptMarker[] = "nativeRequest";
// 60 and 30 fps take turns, so that the load of whatever else runs on the machine falls
// on both alike.
constexpr int kPacingRounds = 4;
constexpr auto kPacingWindow = 5s;
constexpr auto kPacingSettle = 1s;
constexpr double kThirtyGoal = 0.6;
constexpr double kPausedGoal = 0.1;

struct PacingCosts {
    double at_60 = 0;
    double at_30 = 0;
    double paused = 0;
};

std::optional<PacingCosts> pacing_costs(const Programs& programs, bool held) {
    test::TestFolder root;
    auto started = start_with_page(root, programs, kPacingPage,
                                   held ? std::string() : std::string("skip_script_containing=") + kPacingScriptMarker + "\n");
    if (!started) return std::nullopt;
    const HWND controller = bench::window_of(started->process.id(), L"Tessary.Control");
    const std::string marker = browser_marker(read_if_there(started->standin_log));
    if (controller == nullptr || marker.empty()) {
        std::printf("  cannot find the player's controller window or its browser\n");
        return std::nullopt;
    }
    const auto measure = [&](std::uint32_t command) {
        if (command != 0) ::PostMessageW(controller, WM_COMMAND, command, 0);
        std::this_thread::sleep_for(kPacingSettle);
        return browser_cpu(marker, kPacingWindow);
    };
    PacingCosts costs;
    for (int round = 0; round < kPacingRounds; ++round) {
        costs.at_60 += measure(core::CMD_FPS_60) / kPacingRounds;
        costs.at_30 += measure(core::CMD_FPS_30) / kPacingRounds;
    }
    ::PostMessageW(controller, WM_COMMAND, core::CMD_FPS_60, 0);
    costs.paused = measure(core::CMD_TOGGLE_PAUSE);
    const bool skipped = read_if_there(started->standin_log).find("fault: script skipped") != std::string::npos;
    stop(*started);
    if (skipped == held) {
        std::printf("  the script was %s\n", held ? "left out" : "not left out");
        return std::nullopt;
    }
    return costs;
}

bool run_pacing(const Programs& programs) {
    std::printf("%s (the page %s, deaf to the state):\n", kPacingCase, kPacingPage);
    const auto held = pacing_costs(programs, true);
    const auto free = held ? pacing_costs(programs, false) : std::nullopt;
    if (!held || !free) return false;
    std::printf("  browser cpu (all its processes), %% of one core, held / without the script: at 60 fps %.1f / %.1f; "
                "at 30 fps %.1f / %.1f; paused on view %.2f / %.1f\n",
                held->at_60, free->at_60, held->at_30, free->at_30, held->paused, free->paused);
    const double thirty = held->at_30 / held->at_60;
    const double paused = held->paused / held->at_60;
    std::printf("  30 fps costs %.2f x 60 fps (goal at most %.1f x): %s\n", thirty, kThirtyGoal,
                verdict(thirty <= kThirtyGoal));
    std::printf("  paused costs %.3f x playing at 60 fps (goal at most %.1f x): %s\n", paused, kPausedGoal,
                verdict(paused <= kPausedGoal));
    std::fflush(stdout);
    return thirty <= kThirtyGoal && paused <= kPausedGoal;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5 || std::getenv("TESSARY_STANDIN_RELAY") == nullptr) {
        std::fprintf(stderr, "usage: hostile_pages_bench TESSARY_EXE STANDIN_DLL PAGES_FOLDER MINIMAL_WINDOW [PAGE...]\n"
                             "(with the relay's port in TESSARY_STANDIN_RELAY)\n");
        return 2;
    }
    const std::vector<std::string> chosen(argv + 5, argv + argc);
    const auto wanted = [&](const char* name) {
        return chosen.empty() || std::find(chosen.begin(), chosen.end(), name) != chosen.end();
    };
    const Programs programs{argv[1], argv[2], argv[3], argv[4]};
    bool all_met = true;
    for (const HostilePage& page : kPages) {
        if (wanted(page.name)) all_met = run_page(page, programs) && all_met;
    }
    if (wanted(kPacingCase)) all_met = run_pacing(programs) && all_met;
    std::printf("%s\n", all_met ? "every goal met under every hostile page" : "some goals were missed");
    return all_met ? 0 : 1;
}
