#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "fake_web_layer.h"
#include "log_capture.h"
#include "player/shell/autostart.h"
#include "player/shell/player_controller.h"
#include "test_folder.h"

namespace test {

// Installs a minimal valid wallpaper folder <library>\<id> whose name is its id.
void write_wallpaper(const std::string& library, const std::string& id, unsigned fps);

// The controller over a data folder with two installed wallpapers ("alpha" at 60 fps,
// "beta" at 30) and the stand-in browser, in preview mode (Wine has no Explorer desktop).
class ControllerFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Lets a derived fixture adjust what the controller is built with.
    virtual void adjust_setup(player::ControllerSetup& setup);

    std::string library_folder() const;
    std::size_t count_lines(std::string_view prefix) const;
    bool logged(std::string_view line) const;
    std::size_t state_scripts() const;
    // The controller's autostart switch: a scratch key under the current user, deleted
    // before and after each test, never the real Run value.
    player::AutostartEntry autostart() const;
    // Plays the first wallpaper and lets its page report readiness.
    void play_first();

    const std::wstring autostart_parent_ =
        L"Software\\Tessary-controller-tests-" + std::to_wstring(::GetCurrentProcessId());
    LogCapture log_;
    TestFolder root_;
    std::string data_;
    FakeWebLayer layer_;
    std::optional<player::PlayerController> controller_;
};

}  // namespace test
