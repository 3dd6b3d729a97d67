#include "child_process.h"

#include <gtest/gtest.h>

#include <iostream>

#include "player/library/paths.h"
#include "test_folder.h"
#include "player/shell/exe_path.h"
#include "player/win32/wide.h"

namespace test {
namespace {

std::wstring wide(std::string_view text) { return win32::to_wide(text).value(); }

std::wstring quote(const std::wstring& arg) {
    // Enough for the arguments tests use: no embedded quotes.
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
    return L"\"" + arg + L"\"";
}

std::vector<wchar_t> environment_block(const Environment& changes) {
    std::map<std::wstring, std::wstring, decltype([](const std::wstring& a, const std::wstring& b) {
                 return ::lstrcmpiW(a.c_str(), b.c_str()) < 0;
             })>
        variables;
    wchar_t* current = ::GetEnvironmentStringsW();
    for (const wchar_t* entry = current; *entry != L'\0'; entry += ::lstrlenW(entry) + 1) {
        const std::wstring text = entry;
        const std::size_t equals = text.find(L'=', 1);
        if (equals == std::wstring::npos) continue;
        variables[text.substr(0, equals)] = text.substr(equals + 1);
    }
    ::FreeEnvironmentStringsW(current);
    for (const auto& [name, value] : changes) {
        if (value) {
            variables[name] = *value;
        } else {
            variables.erase(name);
        }
    }
    std::vector<wchar_t> block;
    for (const auto& [name, value] : variables) {
        const std::wstring entry = name + L"=" + value;
        block.insert(block.end(), entry.begin(), entry.end());
        block.push_back(L'\0');
    }
    block.push_back(L'\0');
    return block;
}

std::string window_text(HWND window) {
    wchar_t buffer[2048];
    const int length = ::GetWindowTextW(window, buffer, 2048);
    return win32::to_utf8(std::wstring_view(buffer, length > 0 ? length : 0)).value_or("");
}

std::string class_name(HWND window) {
    wchar_t buffer[256];
    const int length = ::GetClassNameW(window, buffer, 256);
    return win32::to_utf8(std::wstring_view(buffer, length > 0 ? length : 0)).value_or("");
}

struct DialogSearch {
    DWORD process_id;
    HWND found = nullptr;
};

BOOL CALLBACK find_dialog(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<DialogSearch*>(context);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == search->process_id && ::IsWindowVisible(window) && class_name(window) == "#32770") {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK collect_static_text(HWND child, LPARAM context) {
    auto* text = reinterpret_cast<std::string*>(context);
    if (class_name(child) == "Static") {
        const std::string part = window_text(child);
        if (!part.empty()) {
            if (!text->empty()) text->push_back('\n');
            *text += part;
        }
    }
    return TRUE;
}

}  // namespace

ChildProcess::~ChildProcess() {
    if (process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
        ::TerminateProcess(process_.get(), 99);
        ::WaitForSingleObject(process_.get(), 5000);
    }
}

std::optional<DWORD> ChildProcess::wait(std::chrono::milliseconds timeout) {
    const ULONGLONG deadline = ::GetTickCount64() + timeout.count();
    while (true) {
        const ULONGLONG now = ::GetTickCount64();
        const DWORD remaining = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
        const HANDLE process = process_.get();
        const DWORD result = ::MsgWaitForMultipleObjects(1, &process, FALSE, remaining, QS_ALLINPUT);
        if (result == WAIT_OBJECT_0) {
            DWORD code = 0;
            ::GetExitCodeProcess(process_.get(), &code);
            return code;
        }
        if (result != WAIT_OBJECT_0 + 1) return std::nullopt;
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
    }
}

ChildProcess start_process(const std::string& exe, const std::vector<std::string>& args,
                           const Environment& changes) {
    std::wstring command = quote(wide(exe));
    for (const std::string& arg : args) command += L" " + quote(wide(arg));
    std::vector<wchar_t> command_buffer(command.begin(), command.end());
    command_buffer.push_back(L'\0');
    std::vector<wchar_t> environment = environment_block(changes);

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    // Under Wine a start right after the same program exited was once refused; such a
    // refusal is the test machine's, not the program's, so it is tried again briefly.
    BOOL started = FALSE;
    DWORD error = 0;
    for (int attempt = 0; attempt < 3 && !started; ++attempt) {
        if (attempt > 0) ::Sleep(1000);
        std::vector<wchar_t> attempt_command = command_buffer;
        started = ::CreateProcessW(wide(exe).c_str(), attempt_command.data(), nullptr, nullptr, FALSE,
                                   CREATE_UNICODE_ENVIRONMENT, environment.data(), nullptr, &startup, &info);
        if (!started) error = ::GetLastError();
    }
    EXPECT_TRUE(started) << "cannot start " << exe << " (error " << error << ")";
    if (started && error != 0) std::cerr << "started " << exe << " after a refusal (error " << error << ")\n";
    if (!started) return ChildProcess(win32::unique_handle(), 0);
    ::CloseHandle(info.hThread);
    return ChildProcess(win32::unique_handle(info.hProcess), info.dwProcessId);
}

std::optional<MessageBoxSeen> wait_for_message_box(DWORD process_id, std::chrono::milliseconds timeout) {
    const ULONGLONG deadline = ::GetTickCount64() + timeout.count();
    while (::GetTickCount64() < deadline) {
        DialogSearch search{process_id};
        ::EnumWindows(find_dialog, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) {
            MessageBoxSeen box{search.found, window_text(search.found), {}};
            ::EnumChildWindows(search.found, collect_static_text, reinterpret_cast<LPARAM>(&box.text));
            if (!box.text.empty()) return box;
        }
        pump_messages(std::chrono::milliseconds(50));
    }
    return std::nullopt;
}

void dismiss(const MessageBoxSeen& box) { ::PostMessageW(box.window, WM_COMMAND, IDOK, 0); }

void pump_messages(std::chrono::milliseconds duration) {
    const ULONGLONG deadline = ::GetTickCount64() + duration.count();
    while (true) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline) return;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
    }
}

std::string test_program_folder() {
    return player::parent_path(player::executable_path().value()).value();
}

bool wait_for_file_text(const std::string& path, const std::string& text, std::chrono::milliseconds limit,
                        std::size_t from) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (exists(path) && read_file(path).find(text, from) != std::string::npos) return true;
        pump_messages(std::chrono::milliseconds(200));
    }
    return false;
}

}  // namespace test
