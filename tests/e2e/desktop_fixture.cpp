#include "desktop_fixture.h"

#include <shellapi.h>
#include <wtsapi32.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "core/shell/commands.h"
#include "player/library/paths.h"

namespace e2e {
namespace {

using namespace std::chrono_literals;

constexpr auto kStartTimeout = 60s;

std::string standin_program() {
    return player::join_path(test::test_program_folder(), "..\\explorer_standin\\explorer_standin.exe");
}

std::string read_or_empty(const std::string& path) {
    return test::exists(path) ? test::read_file(path) : std::string();
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

}  // namespace

std::string handle_text(HWND window) {
    char text[32];
    std::snprintf(text, sizeof(text), "0x%llx", static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(window)));
    return text;
}

RECT primary_monitor() {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info);
    return info.rcMonitor;
}

RECT window_rect(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return rect;
}

bool same_rect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool tray_has_icon(HWND controller) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = controller;
    data.uID = 1;
    return ::Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

void remove_tray_icon(HWND controller) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = controller;
    data.uID = 1;
    ::Shell_NotifyIconW(NIM_DELETE, &data);
}

void ExplorerStandIn::start(const std::vector<std::string>& switches) {
    end();
    ::DeleteFileA(report_.c_str());
    std::vector<std::string> args = switches;
    args.push_back("--report=" + report_);
    process_.emplace(test::start_process(standin_program(), args));
    ASSERT_TRUE(reported("ready", kStartTimeout)) << "the stand-in Explorer did not start";
}

void ExplorerStandIn::end() {
    if (!process_) return;
    ::TerminateProcess(process_->handle(), 1);
    process_->wait(kStartTimeout);
    process_.reset();
    // Its helper process (a foreign WorkerW) follows it; wait until its windows are gone.
    wait_until(
        [] { return ::FindWindowW(L"Progman", nullptr) == nullptr && ::FindWindowW(L"WorkerW", nullptr) == nullptr; },
        10s);
}

HWND ExplorerStandIn::handle(const std::string& name, std::chrono::milliseconds timeout) const {
    HWND found = nullptr;
    wait_until(
        [&] {
            for (const std::string& line : lines_of(read_or_empty(report_))) {
                if (line.rfind(name + "=", 0) != 0) continue;
                found = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(
                    std::stoull(line.substr(name.size() + 1), nullptr, 16)));
            }
            return found != nullptr;
        },
        timeout);
    return found;
}

bool ExplorerStandIn::reported(const std::string& line, std::chrono::milliseconds timeout) const {
    return wait_until(
        [&] {
            const auto lines = lines_of(read_or_empty(report_));
            return std::find(lines.begin(), lines.end(), line) != lines.end();
        },
        timeout);
}

void press_at(int x, int y, int button) {
    // Wine starts a Unix program but gives no handle to wait on: the shell leaves a mark
    // when xdotool is done.
    static int count = 0;
    const std::string mark = "/tmp/tessary-press-" + std::to_string(::GetCurrentProcessId()) + "-" +
                             std::to_string(++count);
    const std::string command = "xdotool mousemove --sync " + std::to_string(x) + " " + std::to_string(y) +
                                " click " + std::to_string(button) + "; touch " + mark;
    test::start_process("Z:\\bin\\sh", {"-c", command});
    std::string windows_mark = "Z:" + mark;
    std::replace(windows_mark.begin(), windows_mark.end(), '/', '\\');
    EXPECT_TRUE(wait_until([&] { return test::exists(windows_mark); }, kStartTimeout)) << "xdotool did not run";
    ::DeleteFileA(windows_mark.c_str());
    // Let the press travel through Wine to the player before the test looks.
    test::pump_messages(300ms);
}

void send_press_at(int x, int y) {
    INPUT inputs[3]{};
    for (INPUT& input : inputs) input.type = INPUT_MOUSE;
    // Absolute positions are in 1/65536 of the primary monitor.
    inputs[0].mi.dx = MulDiv(x, 65536, ::GetSystemMetrics(SM_CXSCREEN)) + 1;
    inputs[0].mi.dy = MulDiv(y, 65536, ::GetSystemMetrics(SM_CYSCREEN)) + 1;
    inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    EXPECT_EQ(::SendInput(3, inputs, sizeof(INPUT)), 3u);
    test::pump_messages(300ms);
}

DesktopPlayerTest::DesktopPlayerTest() : explorer_(root_ / "explorer-report.txt") {
    use_test_player();
    add_sample_wallpapers();
}

void DesktopPlayerTest::TearDown() {
    if (player_) {
        start({"--exit"}).wait(kStartTimeout);
        player_->wait(kStartTimeout);
        player_.reset();
    }
    explorer_.end();
}

void DesktopPlayerTest::start_player(std::vector<std::string> args) {
    // A second run appends to the first one's log.
    const std::size_t from = log_text().size();
    player_.emplace(start(std::move(args)));
    ASSERT_TRUE(wait_for_log("state paused=", kStartTimeout, from)) << log_text();
    controller_ = find_player_window(kStartTimeout);
    ASSERT_NE(controller_, nullptr);
}

void DesktopPlayerTest::exit_player() {
    ASSERT_TRUE(player_);
    EXPECT_EQ(start({"--exit"}).wait(kStartTimeout), 0u);
    EXPECT_EQ(player_->wait(kStartTimeout), 0u);
    EXPECT_NE(log_text().find("clean shutdown"), std::string::npos);
    player_.reset();
}

void DesktopPlayerTest::command(WPARAM number) { ASSERT_TRUE(::PostMessageW(controller_, WM_COMMAND, number, 0)); }

std::vector<std::string> DesktopPlayerTest::page_events() const {
    return lines_of(read_or_empty(root_ / "Tessary\\page-events.txt"));
}

std::vector<std::string> DesktopPlayerTest::click_events() const {
    std::vector<std::string> clicks;
    for (const std::string& line : page_events()) {
        if (line.rfind("window.__tessaryDispatch(\"click\",", 0) == 0) clicks.push_back(line);
    }
    return clicks;
}

std::vector<std::vector<std::string>> DesktopPlayerTest::menus() const {
    std::vector<std::vector<std::string>> menus;
    for (const std::string& line : lines_of(read_or_empty(root_ / "Tessary\\menus.txt"))) {
        if (line == "menu") {
            menus.emplace_back();
        } else if (!menus.empty()) {
            menus.back().push_back(line);
        }
    }
    return menus;
}

std::vector<std::string> DesktopPlayerTest::open_tray_menu(UINT mouse_message) {
    const std::size_t before = menus().size();
    EXPECT_TRUE(::PostMessageW(controller_, 0x8001, 1, mouse_message));
    if (!wait_until([&] { return menus().size() > before && ::FindWindowW(L"#32768", nullptr) != nullptr; },
                    kStartTimeout)) {
        ADD_FAILURE() << "the tray menu did not open";
        return {};
    }
    return menus().back();
}

void DesktopPlayerTest::choose_in_menu(std::optional<int> index) {
    const HWND menu = ::FindWindowW(L"#32768", nullptr);
    ASSERT_NE(menu, nullptr);
    const std::size_t from = log_text().size();
    const auto key = [&](WPARAM code) {
        ::PostMessageW(menu, WM_KEYDOWN, code, 1);
        ::PostMessageW(menu, WM_KEYUP, code, 0xC0000001);
    };
    if (index) {
        for (int i = 0; i <= *index; ++i) key(VK_DOWN);
        key(VK_RETURN);
    } else {
        key(VK_ESCAPE);
    }
    ASSERT_TRUE(wait_for_log("tray menu closed command=", kStartTimeout, from)) << log_text().substr(from);
}

void DesktopPlayerTest::send_display_state(DWORD state) {
    struct {
        GUID setting;
        DWORD length;
        DWORD data;
    } record{GUID_CONSOLE_DISPLAY_STATE, sizeof(DWORD), state};
    void* remote = ::VirtualAllocEx(player_->handle(), nullptr, sizeof(record), MEM_COMMIT, PAGE_READWRITE);
    ASSERT_NE(remote, nullptr);
    ASSERT_TRUE(::WriteProcessMemory(player_->handle(), remote, &record, sizeof(record), nullptr));
    DWORD_PTR result = 0;
    EXPECT_NE(::SendMessageTimeoutW(controller_, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE,
                                    reinterpret_cast<LPARAM>(remote), SMTO_NORMAL, 10000, &result),
              0);
    EXPECT_EQ(result, static_cast<DWORD_PTR>(TRUE));
    ::VirtualFreeEx(player_->handle(), remote, 0, MEM_RELEASE);
}

void DesktopPlayerTest::send_power_event(WPARAM event) {
    DWORD_PTR result = 0;
    EXPECT_NE(::SendMessageTimeoutW(controller_, WM_POWERBROADCAST, event, 0, SMTO_NORMAL, 10000, &result), 0);
}

void DesktopPlayerTest::send_session_event(WPARAM event) {
    DWORD_PTR result = 0;
    EXPECT_NE(::SendMessageTimeoutW(controller_, WM_WTSSESSION_CHANGE, event, 0, SMTO_NORMAL, 10000, &result), 0);
}

void DesktopPlayerTest::sync() {
    const std::size_t from = log_text().size();
    command(core::CMD_UNOFFERED_FIRST);
    ASSERT_TRUE(wait_for_log("control command=103", kStartTimeout, from));
}

HWND DesktopPlayerTest::host_window() const {
    struct Search {
        DWORD process;
        HWND found;
    } search{player_ ? player_->id() : 0, nullptr};
    const auto visit = [](HWND window, LPARAM data) -> BOOL {
        auto& wanted = *reinterpret_cast<Search*>(data);
        DWORD process = 0;
        ::GetWindowThreadProcessId(window, &process);
        wchar_t name[64] = {};
        ::GetClassNameW(window, name, 64);
        if (process == wanted.process && std::wstring(name) == L"Tessary.Host") wanted.found = window;
        return wanted.found == nullptr;
    };
    ::EnumWindows(visit, reinterpret_cast<LPARAM>(&search));
    // Mounted, it is a child of a desktop window.
    for (HWND top = ::GetTopWindow(nullptr); search.found == nullptr && top != nullptr;
         top = ::GetWindow(top, GW_HWNDNEXT)) {
        ::EnumChildWindows(top, visit, reinterpret_cast<LPARAM>(&search));
    }
    return search.found;
}

bool wait_until(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const ULONGLONG deadline = ::GetTickCount64() + timeout.count();
    while (true) {
        if (done()) return true;
        if (::GetTickCount64() >= deadline) return false;
        test::pump_messages(50ms);
    }
}

std::string DesktopPlayerTest::log_value(const std::string& marker, std::size_t from) const {
    const std::string log = log_text();
    const std::size_t at = log.find(marker, from);
    if (at == std::string::npos) return {};
    const std::size_t start = at + marker.size();
    return log.substr(start, log.find_first_of(" \n", start) - start);
}

}  // namespace e2e
