#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "player_fixture.h"

namespace e2e {

// The shipped program, unmodified, with the stand-in WebView2Loader.dll beside it: its
// pages run in a real Chromium driven by the relay that scripts/test starts
// (TESSARY_STANDIN_RELAY holds its port). The stand-in records every call the program
// made and what the page saw in a log of its own.
class StandInPlayerTest : public PlayerTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Fault lines for the stand-in ("key=value"), written before the player starts.
    void configure(const std::vector<std::string>& faults = {});
    // A wallpaper of the test pages beside these tests, into the portable folder.
    void add_test_wallpaper(const std::string& name);

    // Starts the player in preview mode and waits for its controller window.
    void start_player(std::vector<std::string> args = {"--preview"}, test::Environment environment = {});
    void stop_player();
    void command(unsigned number);

    std::string standin_log() const;
    std::size_t count_in_standin(const std::string& text, std::size_t from = 0) const;
    bool wait_for_standin(const std::string& text, std::chrono::milliseconds timeout, std::size_t from = 0) const;
    // The last line of the stand-in's log that starts with the prefix (without it).
    std::string last_standin_line(const std::string& prefix) const;
    // Both logs, for failure messages.
    std::string logs() const;

    std::optional<test::ChildProcess> player_;
    HWND window_ = nullptr;
    std::string standin_log_path_;
};

}  // namespace e2e
