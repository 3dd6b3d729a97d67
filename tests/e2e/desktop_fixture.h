#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "child_process.h"
#include "player_fixture.h"

namespace e2e {

// The stand-in Explorer (tests/explorer_standin): started with its switches, ended as a
// crashing Explorer would be, and asked for the handles of its windows.
class ExplorerStandIn {
public:
    explicit ExplorerStandIn(std::string report_path) : report_(std::move(report_path)) {}
    ~ExplorerStandIn() { end(); }

    // Starts it and waits until its desktop windows exist.
    void start(const std::vector<std::string>& switches);
    void end();
    bool running() const { return process_.has_value(); }
    // A window it reported ("progman", "icons_worker", "defview", "listview",
    // "wallpaper_worker"), waiting for it up to the time-out; null when never reported.
    HWND handle(const std::string& name, std::chrono::milliseconds timeout = std::chrono::milliseconds(0)) const;
    // Whether it wrote the line ("hung", "resized"), waiting for it up to the time-out.
    bool reported(const std::string& line, std::chrono::milliseconds timeout) const;

private:
    std::string report_;
    std::optional<test::ChildProcess> process_;
};

// A press and release at a screen point, made at the X server as a user's mouse would
// (xdotool); button 1 is the physical left, 3 the physical right.
void press_at(int x, int y, int button = 1);

// The same through SendInput from this process, as another program (or a remote
// desktop) would inject it.
void send_press_at(int x, int y);

// The test build of the player with the sample wallpapers, and what it shows the page and
// the user.
class DesktopPlayerTest : public PlayerTest {
protected:
    DesktopPlayerTest();
    void TearDown() override;

    // Starts the player and waits until its page got its first state.
    void start_player(std::vector<std::string> args = {});
    // Asks the player to exit and checks it ended cleanly.
    void exit_player();
    void command(WPARAM number);

    // Every script run in the player's pages, one a line, and the pop-up menus shown.
    std::vector<std::string> page_events() const;
    std::vector<std::string> click_events() const;
    std::vector<std::vector<std::string>> menus() const;

    // Opens the tray menu as a right click on the icon does and returns its items as the
    // player built them ("id<TAB>text<TAB>flags"); the menu stays open.
    std::vector<std::string> open_tray_menu(UINT mouse_message = WM_RBUTTONUP);
    // Picks the item at the index with the keyboard (or dismisses the menu with Escape
    // when there is none) and waits until the player logged the menu's end.
    void choose_in_menu(std::optional<int> index);
    // Power, display and session notifications as Windows sends them to the controller
    // window; the display state's record is placed in the player's memory.
    void send_display_state(DWORD state);
    void send_power_event(WPARAM event);
    void send_session_event(WPARAM event);
    // Waits until every event sent before has been handled: command 103 is only logged.
    void sync();

    // The player's wallpaper host window.
    HWND host_window() const;
    // The "0x..." handle text in a log line after the marker, read from the log after the offset.
    std::string log_value(const std::string& marker, std::size_t from = 0) const;

    ExplorerStandIn explorer_;
    std::optional<test::ChildProcess> player_;
    HWND controller_ = nullptr;
};

// Polls (pumping messages) until the predicate holds or the time-out passes.
bool wait_until(const std::function<bool()>& done, std::chrono::milliseconds timeout);

// "0x" and lowercase hexadecimal, as the player's log writes handles.
std::string handle_text(HWND window);

RECT primary_monitor();
RECT window_rect(HWND window);
bool same_rect(const RECT& a, const RECT& b);

// Whether the notification area holds the player's icon: changing nothing in it succeeds
// only for an icon that is there.
bool tray_has_icon(HWND controller);
// What a crashing Explorer takes with it: the notification area's icons.
void remove_tray_icon(HWND controller);

}  // namespace e2e
