#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

// Watches a running player from another process: its own processor time and memory, and
// how fast its control window answers. Wine gives no processor times of other processes
// and reports no private bytes (PrivateUsage is the swap in use), so those come from the
// host system's /proc, which Wine shows on drive Z:.
namespace bench {

// The Linux process of the Wine process whose command line names this (unique) path.
std::optional<int> unix_process_of(const std::string& windows_path);

// Processor time (user and system) the Linux process, or one of its threads, used so far,
// in seconds. Wine runs a program's first thread, its UI thread here, as the process's
// first Linux thread.
double processor_seconds(int unix_pid, std::optional<int> thread = std::nullopt);

// The processor time of a browser (the Linux process whose command line holds
// browser_marker and no "--type=") and of every process below it, in seconds.
double browser_processor_seconds(const std::string& browser_marker);

struct Memory {
    std::uint64_t private_usage = 0;  // GetProcessMemoryInfo's PrivateUsage
    std::uint64_t anonymous = 0;      // resident anonymous memory (RssAnon): the private bytes Wine does not report
};
Memory memory_of(HANDLE process, int unix_pid);

// The window of this class owned by the process, or null.
HWND window_of(DWORD process_id, const wchar_t* window_class);

// How long the window's thread took to answer a WM_NULL (or a WM_GETTEXT), in ms; the
// timeout when it did not answer in time.
double response_ms(HWND window, bool get_text, unsigned timeout_ms);

}  // namespace bench
