#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <windows.h>
#include <vector>

#include "child_process.h"
#include "test_folder.h"

namespace e2e {

// A portable copy of the program in a fresh folder, with its own LOCALAPPDATA, so every
// test starts from a clean machine.
class PlayerTest : public ::testing::Test {
public:
    // The built program, as the build left it, and its test build with the stand-in
    // browser.
    static std::string built_program();
    static std::string built_test_player();
    static std::string built_test_preview();

protected:
    PlayerTest();

    const std::string& exe() const { return exe_; }
    const std::string& local_app_data() const { return local_app_data_; }
    // D: LOCALAPPDATA joined with the instance name.
    std::string data_folder() const;

    // Starts the copy with LOCALAPPDATA set (or changed by the test).
    test::ChildProcess start(const std::vector<std::string>& args, test::Environment changes = {});

    // Starts the player, waits for its controller window, then asks it to exit as a
    // second start would; both must end with exit code 0.
    void start_and_exit();

    // Replaces the copy with the test build of the program.
    void use_test_player();
    // Replaces it with the author-preview test build, whose instance (and data folder)
    // carries "-preview".
    void use_test_preview();
    // Puts the sample wallpapers into the portable folder's "wallpapers".
    void add_sample_wallpapers();

    std::string log_text() const;
    // Waits until the log holds the text (after the given offset); pumps messages meanwhile.
    bool wait_for_log(const std::string& text, std::chrono::milliseconds timeout, std::size_t from = 0) const;
    std::size_t count_in_log(const std::string& text, std::size_t from = 0) const;
    // The running player's controller window, found as a second start would.
    HWND find_player_window(std::chrono::milliseconds timeout) const;

    test::TestFolder root_;
    std::string exe_;
    std::string local_app_data_;
    std::string instance_;
};

// "Tessary-" and the first twelve hex digits of the built-in key.
std::string instance_name();

}  // namespace e2e
