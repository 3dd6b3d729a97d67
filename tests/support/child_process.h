#pragma once

#include <windows.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "player/win32/unique_resource.h"

namespace test {

// A child process started by a test; killed at the end if it is still running.
class ChildProcess {
public:
    ChildProcess(win32::unique_handle process, DWORD id) : process_(std::move(process)), id_(id) {}
    ~ChildProcess();
    ChildProcess(ChildProcess&&) = default;

    DWORD id() const { return id_; }
    HANDLE handle() const { return process_.get(); }

    // The exit code, or nothing when the process is still running after the wait. The
    // caller's thread keeps pumping its own messages meanwhile.
    std::optional<DWORD> wait(std::chrono::milliseconds timeout);

private:
    win32::unique_handle process_;
    DWORD id_;
};

// Environment changes for a child: a value sets the variable, nothing removes it.
using Environment = std::map<std::wstring, std::optional<std::wstring>>;

ChildProcess start_process(const std::string& exe, const std::vector<std::string>& args,
                           const Environment& changes = {});

// A message box (dialog) shown by a process: its caption and text.
struct MessageBoxSeen {
    HWND window = nullptr;
    std::string caption;
    std::string text;
};

// Waits for a dialog of the given process and reads it; dismiss() then closes it.
std::optional<MessageBoxSeen> wait_for_message_box(DWORD process_id, std::chrono::milliseconds timeout);
void dismiss(const MessageBoxSeen& box);

// Pumps the calling thread's messages for a while.
void pump_messages(std::chrono::milliseconds duration);

// Waits until the file holds the text at or after byte from, pumping messages meanwhile;
// false at the limit.
bool wait_for_file_text(const std::string& path, const std::string& text, std::chrono::milliseconds limit,
                        std::size_t from = 0);

// The folder of the running test program.
std::string test_program_folder();

}  // namespace test
