// Weeks of uptime, compressed: drives the test build of the program (the browser is the
// stand-in) through wallpaper switches by hand-off, switches between desktop and preview,
// removals to the Recycle Bin with the folder put back and played again, tray menus
// opened and dismissed, and ticks with the control window shown and hovered,
// and samples the player's handles, GDI and USER objects and private bytes at the start
// and after every 100 operations. After a warm-up of 100 operations the handles and
// objects must not grow at all and private bytes by less than 1 MB. Then compares the
// player's private bytes while it plays, control window shown, with those of a program
// that only shows one window. Prints the series and the verdicts; exit code 1 on a
// failed verdict.
//   soak_bench TEST_PLAYER MINIMAL_WINDOW SAMPLES_FOLDER [SCALE_PERCENT]
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "child_process.h"
#include "core/library/removal.h"
#include "core/shell/handoff.h"
#include "player/library/paths.h"
#include "player/win32/wide.h"
#include "resource_probe.h"
#include "test_folder.h"

namespace {

using namespace std::chrono_literals;

constexpr UINT kCommandSetDesktop = 110;
constexpr UINT kCommandWindowPreview = 111;
constexpr UINT kCommandExit = 107;
constexpr UINT kTrayMenuMessage = WM_APP + 2;
constexpr UINT kShowControlMessage = WM_APP + 3;
constexpr int kListId = 112;
constexpr int kSampleEvery = 100;
constexpr int kWarmUp = 100;
constexpr double kMiB = 1024.0 * 1024.0;
// Generous: a benchmark run at the lowest priority on a busy machine may wait long for
// the processor.
constexpr UINT kAnswerTimeoutMs = 180000;

struct Sample {
    int operations = 0;
    DWORD handles = 0;
    DWORD gdi = 0;
    DWORD user = 0;
    DWORD windows = 0;  // the process's windows, counted from outside
    std::uint64_t private_bytes = 0;
};

BOOL CALLBACK count_child(HWND, LPARAM count) {
    ++*reinterpret_cast<DWORD*>(count);
    return TRUE;
}

struct WindowCount {
    DWORD process = 0;
    DWORD count = 0;
};

BOOL CALLBACK count_top_level(HWND window, LPARAM context) {
    auto& counting = *reinterpret_cast<WindowCount*>(context);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != counting.process) return TRUE;
    ++counting.count;
    ::EnumChildWindows(window, count_child, reinterpret_cast<LPARAM>(&counting.count));
    return TRUE;
}

// One counter, as the process reads it itself (Wine reports nothing for other
// processes); 0 when the window does not answer.
std::uint64_t probe(HWND window, WPARAM counter) {
    DWORD_PTR answer = 0;
    if (!::SendMessageTimeoutW(window, test::kResourceProbeMessage, counter, 0, SMTO_BLOCK, kAnswerTimeoutMs, &answer)) {
        std::fprintf(stderr, "the resource probe did not answer: error %lu\n", ::GetLastError());
        return 0;
    }
    return answer;
}

Sample take_sample(HWND probe_window, DWORD process_id, int operations) {
    Sample sample;
    sample.operations = operations;
    sample.handles = static_cast<DWORD>(probe(probe_window, test::kProbeHandles));
    sample.gdi = static_cast<DWORD>(probe(probe_window, test::kProbeGdiObjects));
    sample.user = static_cast<DWORD>(probe(probe_window, test::kProbeUserObjects));
    WindowCount windows{process_id, 0};
    ::EnumWindows(count_top_level, reinterpret_cast<LPARAM>(&windows));
    sample.windows = windows.count;
    sample.private_bytes = probe(probe_window, test::kProbePrivateBytes);
    return sample;
}

// Waits until the player has handled everything queued before: a sent message is
// delivered only when its main loop waits for the next message, which it does only
// with an empty event queue. (Posted messages would still wait behind it: the driver
// sends what it wants handled in order, which the window procedure queues alike.)
bool settle(HWND controller) {
    DWORD_PTR ignored = 0;
    if (::SendMessageTimeoutW(controller, WM_NULL, 0, 0, SMTO_BLOCK, kAnswerTimeoutMs, &ignored) != 0) return true;
    std::fprintf(stderr, "the player did not answer within %u s: error %lu\n", kAnswerTimeoutMs / 1000,
                 ::GetLastError());
    return false;
}

// A message the controller window only queues, sent so that it is queued at once.
bool deliver(HWND controller, UINT message, WPARAM wparam) {
    DWORD_PTR ignored = 0;
    return ::SendMessageTimeoutW(controller, message, wparam, 0, SMTO_BLOCK, kAnswerTimeoutMs, &ignored) != 0;
}

bool hand_off(HWND controller, const std::string& id) {
    const std::string record = core::handoff_record(id);
    COPYDATASTRUCT data{};
    data.dwData = core::kHandoffTag;
    data.cbData = static_cast<DWORD>(record.size());
    data.lpData = const_cast<char*>(record.data());
    DWORD_PTR answer = 0;
    if (!::SendMessageTimeoutW(controller, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_BLOCK,
                               kAnswerTimeoutMs, &answer)) {
        std::fprintf(stderr, "hand-off of %s not delivered: error %lu\n", id.c_str(), ::GetLastError());
        return false;
    }
    if (answer != 1) std::fprintf(stderr, "hand-off of %s answered %llu\n", id.c_str(), static_cast<unsigned long long>(answer));
    return answer == 1;
}

// A visible top-level window of the process, by class name or by title.
struct WindowSearch {
    DWORD process = 0;
    bool by_class = false;
    std::wstring text;
    HWND found = nullptr;
};

BOOL CALLBACK find_window(HWND window, LPARAM context) {
    auto& search = *reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    wchar_t text[64] = {};
    if (search.by_class) {
        ::GetClassNameW(window, text, 64);
    } else {
        ::GetWindowTextW(window, text, 64);
    }
    if (owner == search.process && search.text == text && ::IsWindowVisible(window)) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

HWND visible_window(DWORD process_id, bool by_class, const std::wstring& text) {
    WindowSearch search{process_id, by_class, text, nullptr};
    ::EnumWindows(find_window, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Waits up to 30 s for such a window to be there (or gone); the window, or nothing.
HWND wait_for_window(DWORD process_id, bool by_class, const std::wstring& text, bool there = true) {
    for (int i = 0; i < 3000; ++i) {
        const HWND window = visible_window(process_id, by_class, text);
        if ((window != nullptr) == there) return window;
        test::pump_messages(10ms);
    }
    return there ? nullptr : visible_window(process_id, by_class, text);
}

// Opens the tray menu as a click on the icon would, dismisses it with Escape and waits
// until it is gone: the menu runs a loop of its own, which answers sent messages too.
// Under Wine without a window manager a menu now and then closes before anything could
// see it (its owner lost the foreground); it is opened once more, and counted.
bool open_and_dismiss_menu(HWND controller, DWORD process_id, int& reopened) {
    constexpr wchar_t kMenuClass[] = L"#32768";
    HWND menu = nullptr;
    for (int attempt = 0; attempt < 2 && menu == nullptr; ++attempt) {
        if (attempt > 0) ++reopened;
        if (!deliver(controller, kTrayMenuMessage, 0)) return false;
        menu = wait_for_window(process_id, true, kMenuClass);
    }
    if (menu == nullptr) {
        std::fprintf(stderr, "no menu appeared, twice\n");
        return false;
    }
    ::PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    ::PostMessageW(menu, WM_KEYUP, VK_ESCAPE, 0);
    if (wait_for_window(process_id, true, kMenuClass, false) == nullptr) return settle(controller);
    std::fprintf(stderr, "the menu did not close\n");
    return false;
}

// Deletes the playing wallpaper as the user does (Delete on its selected card, then the
// dialog's confirm button), then puts its folder back as a restore from the Recycle Bin
// would and plays it again by hand-off, which takes it off the removed list.
bool remove_and_reimport(HWND controller, HWND list, DWORD process_id, const std::string& id,
                         const std::string& sample, const std::string& library, const std::string& log) {
    // Delete removes the card selected in the list. A real browser's page is built inside
    // a nested wait, which answers the settling message before the list follows: wait for
    // the log to say the wallpaper is loaded, then for the window to catch up.
    const std::size_t log_before = test::read_file(log).size();
    if (!hand_off(controller, id)) return false;
    test::wait_for_file_text(log, "loaded " + id + " mode=", 30s, log_before);
    if (!settle(controller)) return false;
    ::PostMessageW(list, WM_KEYDOWN, VK_DELETE, 0);
    const HWND dialog = wait_for_window(process_id, false, win32::to_wide(core::kRemovalTitle).value());
    if (dialog == nullptr) {
        std::fprintf(stderr, "no removal dialog appeared for %s\n", id.c_str());
        return false;
    }
    // Answered once it has painted, as a user sees it first: a dialog dismissed before it
    // painted leaves Wine to make what it draws with (window DCs with their regions,
    // bitmaps, a font) at a later removal, after the warm-up.
    ::RedrawWindow(dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    ::PostMessageW(dialog, TDM_CLICK_BUTTON, core::kRemovalConfirmButton, 0);
    const std::string folder = player::join_path(library, id);
    for (int i = 0; i < 3000 && test::exists(folder); ++i) test::pump_messages(10ms);
    if (!settle(controller) || test::exists(folder)) {
        std::fprintf(stderr, "%s did not leave the library\n", id.c_str());
        return false;
    }
    test::copy_tree(sample, folder);
    return hand_off(controller, id) && settle(controller);
}

std::string find_log(const std::string& app_data) {
    WIN32_FIND_DATAW found;
    for (int i = 0; i < 100; ++i) {
        test::pump_messages(100ms);
        const HANDLE find = ::FindFirstFileW(win32::to_wide(player::join_path(app_data, "Tessary-*")).value().c_str(),
                                             &found);
        if (find != INVALID_HANDLE_VALUE) {
            ::FindClose(find);
            return player::join_path(player::join_path(app_data, win32::to_utf8(found.cFileName).value()),
                                     "player.log");
        }
    }
    return {};
}

void print_sample(const Sample& s) {
    std::printf("%6d ops: handles %4lu  gdi %4lu  user %4lu  windows %3lu  private %8.2f MiB\n", s.operations,
                s.handles, s.gdi, s.user, s.windows, static_cast<double>(s.private_bytes) / kMiB);
    std::fflush(stdout);
}

// Growth from the sample after the warm-up to the highest later sample.
template <class Field>
long long growth(const std::vector<Sample>& series, Field field) {
    const auto base = std::find_if(series.begin(), series.end(), [](const Sample& s) { return s.operations >= kWarmUp; });
    if (base == series.end()) return 0;
    long long highest = static_cast<long long>(field(*base));
    for (auto s = base; s != series.end(); ++s) highest = std::max(highest, static_cast<long long>(field(*s)));
    return highest - static_cast<long long>(field(*base));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: soak_bench TEST_PLAYER MINIMAL_WINDOW SAMPLES_FOLDER [SCALE_PERCENT]\n");
        return 2;
    }
    const int scale = argc > 4 ? std::max(1, std::atoi(argv[4])) : 100;
    const auto scaled = [scale](int count) { return std::max(1, count * scale / 100); };

    test::TestFolder root;
    test::make_folder(root / "Tessary");
    test::copy_tree(argv[3], root / "Tessary\\wallpapers");
    const std::string exe = root / "Tessary\\tessary.exe";
    ::CopyFileW(win32::to_wide(argv[1]).value().c_str(), win32::to_wide(exe).value().c_str(), FALSE);
    test::make_folder(root / "AppData");
    const std::string app_data = root / "AppData";
    std::vector<std::string> ids;
    {
        WIN32_FIND_DATAW found;
        const HANDLE find = ::FindFirstFileW(win32::to_wide(root / "Tessary\\wallpapers\\*").value().c_str(), &found);
        for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = ::FindNextFileW(find, &found)) {
            const std::wstring_view name(found.cFileName);
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != L"." && name != L"..") {
                ids.push_back(win32::to_utf8(name).value());
            }
        }
        if (find != INVALID_HANDLE_VALUE) ::FindClose(find);
    }
    if (ids.size() < 2) {
        std::fprintf(stderr, "need at least two sample wallpapers (folders named by id) in %s\n", argv[3]);
        return 1;
    }

    // With a WebView2 loader named in TESSARY_SOAK_WEBVIEW2_LOADER (the stand-in runtime),
    // the test build plays through the program's own WebView2 layer and that loader.
    test::Environment environment{{L"LOCALAPPDATA", win32::to_wide(app_data).value()}};
    const char* loader = std::getenv("TESSARY_SOAK_WEBVIEW2_LOADER");
    if (loader != nullptr && *loader != '\0') {
        ::CopyFileW(win32::to_wide(loader).value().c_str(),
                    win32::to_wide(root / "Tessary\\WebView2Loader.dll").value().c_str(), FALSE);
        const char* relay = std::getenv("TESSARY_STANDIN_RELAY");
        test::write_file(root / "Tessary\\webview2-standin.ini",
                         "relay=" + std::string(relay != nullptr ? relay : "0") + "\n");
        environment[L"TESSARY_TEST_PLAYER_WEBVIEW2"] = L"1";
        std::printf("browser: the program's WebView2 layer with %s\n", loader);
    } else {
        std::printf("browser: the test build's scripted page\n");
    }
    auto player = test::start_process(exe, {}, environment);
    const std::string log = find_log(app_data);
    if (log.empty() || !test::wait_for_file_text(log, "state paused=false", 60s)) {
        std::fprintf(stderr, "the player did not start playing (log %s)\n", log.c_str());
        return 1;
    }
    const std::wstring title = win32::to_wide(player::parent_path(log).value().substr(app_data.size() + 1)).value();
    const HWND controller = ::FindWindowW(L"Tessary.Control", title.c_str());
    const HWND panel = ::FindWindowW(L"Tessary.Panel", nullptr);
    const HWND list = panel != nullptr ? ::GetDlgItem(panel, kListId) : nullptr;
    const HWND probe_window = ::FindWindowExW(HWND_MESSAGE, nullptr, L"Tessary.Test.Probe", nullptr);
    if (controller == nullptr || list == nullptr || probe_window == nullptr) {
        std::fprintf(stderr, "no controller, control window or resource probe\n");
        return 1;
    }
    deliver(controller, kShowControlMessage, 0);
    settle(controller);

    // Memory while playing, against the one-window program, in the same Wine. The folder
    // tells the host system which process is this player.
    std::printf("playing %s\n", root.path().c_str());
    std::fflush(stdout);
    test::pump_messages(3s);
    const std::uint64_t player_playing = probe(probe_window, test::kProbePrivateBytes);
    {
        auto minimal = test::start_process(argv[2], {});
        test::pump_messages(3s);
        const HWND minimal_window = ::FindWindowW(L"Minimal.Window", nullptr);
        const std::uint64_t baseline = probe(minimal_window, test::kProbePrivateBytes);
        ::PostMessageW(minimal_window, WM_CLOSE, 0, 0);
        minimal.wait(10s);
        const double excess = (static_cast<double>(player_playing) - static_cast<double>(baseline)) / kMiB;
        std::printf("memory while playing, control window shown: player %.2f MiB private, one-window program "
                    "%.2f MiB, excess %.2f MiB (goal <= 8): %s\n",
                    static_cast<double>(player_playing) / kMiB, static_cast<double>(baseline) / kMiB, excess,
                    excess <= 8.0 ? "PASS" : "FAIL");
        std::fflush(stdout);
    }

    std::vector<Sample> series;
    int operations = 0;
    bool driven = true;
    series.push_back(take_sample(probe_window, player.id(), 0));
    print_sample(series.back());
    // The kinds of operation are interleaved, each spread evenly over the run, so that the
    // warm-up meets every kind and a leak of any kind shows in every later sample.
    struct Kind {
        const char* name;
        int count;
        std::function<bool(int)> operation;
        int done = 0;
    };
    std::vector<Kind> kinds;
    kinds.push_back({"wallpaper switch by hand-off", scaled(1000), [&](int i) {
                         return hand_off(controller, ids[static_cast<std::size_t>(i) % ids.size()]) &&
                                settle(controller);
                     }});
    kinds.push_back({"switch between desktop and preview", scaled(500), [&](int i) {
                         return deliver(controller, WM_COMMAND,
                                        i % 2 == 0 ? kCommandSetDesktop : kCommandWindowPreview) &&
                                settle(controller);
                     }});
    const std::string library = player::join_path(player::parent_path(log).value(), "library");
    kinds.push_back({"removal to the Recycle Bin and re-import", scaled(200), [&](int i) {
                         const std::string& id = ids[static_cast<std::size_t>(i) % ids.size()];
                         return remove_and_reimport(controller, list, player.id(), id,
                                                    root / ("Tessary\\wallpapers\\" + id), library, log);
                     }});
    int menus_reopened = 0;
    kinds.push_back({"tray menu opened and dismissed", scaled(100),
                     [&](int) { return open_and_dismiss_menu(controller, player.id(), menus_reopened); }});
    // One tick every 33 ms while playing, the control window shown; the pointer moves
    // between the first two cards.
    kinds.push_back({"tick with the control window shown and hovered", scaled(10000), [&](int i) {
                         if (i % 100 == 0 && !deliver(controller, kShowControlMessage, 0)) return false;
                         const int y = (i / 10) % 2 == 0 ? 24 : 72;
                         ::PostMessageW(list, WM_MOUSEMOVE, 0, MAKELPARAM(120, y));
                         ::Sleep(33);
                         return true;
                     }});
    for (const Kind& kind : kinds) std::printf("-- %d x %s\n", kind.count, kind.name);
    std::fflush(stdout);
    while (driven) {
        // Every kind runs twice first, in turn, so once in each display mode (Wine builds
        // some things, such as what a menu draws in the other mode, on first use); then the
        // kind furthest behind its share goes next.
        Kind* next = nullptr;
        for (Kind& kind : kinds) {
            if (kind.done < std::min(2, kind.count) && (next == nullptr || kind.done < next->done)) next = &kind;
        }
        for (Kind& kind : kinds) {
            if (next != nullptr && next->done < 2) break;
            if (kind.done == kind.count) continue;
            if (next == nullptr || static_cast<double>(kind.done) / kind.count <
                                       static_cast<double>(next->done) / next->count) {
                next = &kind;
            }
        }
        if (next == nullptr) break;
        if (!next->operation(next->done++)) {
            const std::string text = test::read_file(log);
            const std::size_t tail = text.size() > 1500 ? text.find('\n', text.size() - 1500) + 1 : 0;
            std::fprintf(stderr, "%s %d failed; the player's log ends:\n%s\n", next->name, next->done,
                         text.substr(tail).c_str());
            driven = false;
        }
        if (++operations % kSampleEvery == 0) {
            settle(controller);
            series.push_back(take_sample(probe_window, player.id(), operations));
            print_sample(series.back());
        }
    }

    ::PostMessageW(controller, WM_COMMAND, kCommandExit, 0);
    const auto exit_code = player.wait(30s);
    std::printf("player exit code: %s\n", exit_code ? std::to_string(*exit_code).c_str() : "still running");

    const long long handles = growth(series, [](const Sample& s) { return s.handles; });
    const long long gdi = growth(series, [](const Sample& s) { return s.gdi; });
    const long long user = growth(series, [](const Sample& s) { return s.user; });
    const long long windows = growth(series, [](const Sample& s) { return s.windows; });
    const double bytes = static_cast<double>(growth(series, [](const Sample& s) { return s.private_bytes; })) / kMiB;
    const bool pass = driven && handles <= 0 && gdi <= 0 && user <= 0 && windows <= 0 && bytes < 1.0;
    std::printf("soak: %d operations (scale %d%%, %d menus opened again); growth after %d: handles %lld, gdi %lld, "
                "user %lld, windows %lld, private %.2f MiB (goals: 0, 0, 0, 0, < 1 MiB): %s\n",
                operations, scale, menus_reopened, kWarmUp, handles, gdi, user, windows, bytes,
                pass ? "PASS" : "FAIL");
    return pass ? 0 : 1;
}
