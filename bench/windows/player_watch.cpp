#include "player_watch.h"

#include <psapi.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <optional>
#include <sstream>
#include <vector>

#include "player/win32/wide.h"

namespace bench {
namespace {

// The ticks of /proc/PID/stat; Linux reports them at 100 a second (USER_HZ).
constexpr double kTicksPerSecond = 100.0;

// A /proc file, read whole (its size reads as 0, so read until the end).
std::string read_proc(const std::string& windows_path) {
    const HANDLE file = ::CreateFileW(win32::to_wide(windows_path).value().c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string text;
    char chunk[4096];
    DWORD got = 0;
    while (::ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) text.append(chunk, got);
    ::CloseHandle(file);
    return text;
}

std::string proc_file(int unix_pid, const char* name) {
    return "Z:\\proc\\" + std::to_string(unix_pid) + "\\" + name;
}

}  // namespace

std::optional<int> unix_process_of(const std::string& windows_path) {
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW(L"Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE) return std::nullopt;
    std::optional<int> match;
    do {
        const std::wstring name = found.cFileName;
        if (name.empty() || name.find_first_not_of(L"0123456789") != std::wstring::npos) continue;
        std::string command = read_proc("Z:\\proc\\" + win32::to_utf8(name).value() + "\\cmdline");
        for (char& c : command) {
            if (c == '\0') c = ' ';
        }
        if (command.find(windows_path) != std::string::npos) {
            match = std::atoi(win32::to_utf8(name).value().c_str());
            break;
        }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return match;
}

double processor_seconds(int unix_pid, std::optional<int> thread) {
    const std::string stat = read_proc(thread ? proc_file(unix_pid, ("task\\" + std::to_string(*thread) + "\\stat").c_str())
                                              : proc_file(unix_pid, "stat"));
    // The command name in parentheses may hold blanks; the fields count from after it.
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream fields(stat.substr(close + 2));
    std::vector<std::string> values;
    for (std::string value; fields >> value;) values.push_back(value);
    // utime and stime are fields 14 and 15; the state (field 3) is the first after the name.
    if (values.size() < 13) return 0;
    return (std::atof(values[11].c_str()) + std::atof(values[12].c_str())) / kTicksPerSecond;
}

double browser_processor_seconds(const std::string& browser_marker) {
    // Every process with its parent; the browser is the root of the tree that counts.
    std::map<int, int> parents;
    std::optional<int> browser;
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW(L"Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    do {
        const std::wstring name = found.cFileName;
        if (name.empty() || name.find_first_not_of(L"0123456789") != std::wstring::npos) continue;
        const int pid = std::atoi(win32::to_utf8(name).value().c_str());
        const std::string stat = read_proc(proc_file(pid, "stat"));
        const std::size_t close = stat.rfind(')');
        if (close == std::string::npos) continue;
        parents[pid] = std::atoi(stat.c_str() + close + 4);
        std::string command = read_proc(proc_file(pid, "cmdline"));
        for (char& c : command) {
            if (c == '\0') c = ' ';
        }
        if (command.find(browser_marker) != std::string::npos && command.find("--type=") == std::string::npos) {
            browser = pid;
        }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    if (!browser) return 0;
    double seconds = 0;
    for (const auto& [pid, parent] : parents) {
        for (int at = pid; at > 1; at = parents.contains(at) ? parents[at] : 0) {
            if (at == *browser) {
                seconds += processor_seconds(pid);
                break;
            }
        }
    }
    return seconds;
}

Memory memory_of(HANDLE process, int unix_pid) {
    Memory memory;
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (::GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters)) {
        memory.private_usage = counters.PrivateUsage;
    }
    const std::string status = read_proc(proc_file(unix_pid, "status"));
    const std::size_t at = status.find("RssAnon:");
    if (at != std::string::npos) memory.anonymous = std::strtoull(status.c_str() + at + 8, nullptr, 10) * 1024;
    return memory;
}

HWND window_of(DWORD process_id, const wchar_t* window_class) {
    for (HWND window = ::FindWindowExW(nullptr, nullptr, window_class, nullptr); window != nullptr;
         window = ::FindWindowExW(nullptr, window, window_class, nullptr)) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == process_id) return window;
    }
    return nullptr;
}

double response_ms(HWND window, bool get_text, unsigned timeout_ms) {
    wchar_t title[128];
    DWORD_PTR result = 0;
    const auto start = std::chrono::steady_clock::now();
    const LRESULT answered =
        get_text ? ::SendMessageTimeoutW(window, WM_GETTEXT, std::size(title), reinterpret_cast<LPARAM>(title),
                                         SMTO_NORMAL, timeout_ms, &result)
                 : ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, timeout_ms, &result);
    const double elapsed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return answered == 0 ? static_cast<double>(timeout_ms) : elapsed;
}

}  // namespace bench
