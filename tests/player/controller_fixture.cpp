#include "controller_fixture.h"

#include <windows.h>

#include <algorithm>

#include "core/startup/instance.h"
#include "player/library/paths.h"
#include "player/win32/unique_resource.h"
#include "player/windows/host_window.h"
#include "publisher_key.h"
#include "window_classes.h"

namespace test {

void write_wallpaper(const std::string& library, const std::string& id, unsigned fps) {
    const std::string folder = player::join_path(library, id);
    make_folder(folder);
    write_file(player::join_path(folder, "manifest.json"),
               R"({"id": ")" + id + R"(", "name": ")" + id + R"(", "version": 1, "entry": "index.html", "fps": )" +
                   std::to_string(fps) + "}");
    write_file(player::join_path(folder, "index.html"), "<!doctype html><title>" + id + "</title>");
}

void ControllerFixture::SetUp() {
    ASSERT_TRUE(ensure_window_class(player::kControllerWindowClass, player::register_controller_window_class));
    ASSERT_TRUE(ensure_window_class(player::kHostWindowClass, player::register_host_window_class));
    data_ = root_ / "D";
    make_folder(data_);
    make_folder(player::join_path(data_, "packages"));
    make_folder(library_folder());
    write_wallpaper(library_folder(), "alpha", 60);
    write_wallpaper(library_folder(), "beta", 30);
    // A Run key without values, as every user has.
    ::RegDeleteTreeW(HKEY_CURRENT_USER, autostart_parent_.c_str());
    win32::unique_hkey run_key;
    ASSERT_EQ(::RegCreateKeyW(HKEY_CURRENT_USER, autostart().subkey.c_str(), run_key.put()), ERROR_SUCCESS);

    auto window = player::ControllerWindow::create("Tessary-test-controller-" + std::to_string(::GetCurrentProcessId()));
    ASSERT_TRUE(window);
    player::ControllerSetup setup{.data_folder = data_,
                                  .controller_window = std::move(*window),
                                  .publisher_key = core::parse_publisher_key(kBuiltInPublisherKey).value(),
                                  .desktop_wanted = false,
                                  .startup = false,
                                  .web_layer = layer_,
                                  .autostart = autostart()};
    adjust_setup(setup);
    // As the start-up does: the settings are read once, before the controller exists.
    setup.settings = player::load_settings(data_);
    controller_.emplace(std::move(setup));
    controller_->reload_library();
}

void ControllerFixture::TearDown() {
    controller_.reset();
    player::clear_events();
    ::RegDeleteTreeW(HKEY_CURRENT_USER, autostart_parent_.c_str());
}

player::AutostartEntry ControllerFixture::autostart() const {
    return player::AutostartEntry{.root = HKEY_CURRENT_USER,
                                  .subkey = autostart_parent_ + L"\\Run",
                                  .approval_subkey = autostart_parent_ + L"\\StartupApproved"};
}

void ControllerFixture::adjust_setup(player::ControllerSetup&) {}

std::string ControllerFixture::library_folder() const { return player::join_path(data_, "library"); }

std::size_t ControllerFixture::count_lines(std::string_view prefix) const {
    const auto lines = log_.lines();
    return static_cast<std::size_t>(
        std::count_if(lines.begin(), lines.end(), [&](const std::string& line) { return line.starts_with(prefix); }));
}

bool ControllerFixture::logged(std::string_view line) const {
    const auto lines = log_.lines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::size_t ControllerFixture::state_scripts() const {
    const auto& scripts = layer_.last_page()->executed_scripts();
    return static_cast<std::size_t>(std::count_if(scripts.begin(), scripts.end(), [](const std::string& script) {
        return script.starts_with("window.__tessaryDispatch(\"state\"");
    }));
}

void ControllerFixture::play_first() {
    controller_->start_first_wallpaper(std::nullopt);
    ASSERT_NE(layer_.last_page(), nullptr);
    ASSERT_TRUE(layer_.last_page()->post_message("ready"));
    controller_->refresh_playback();
}

}  // namespace test
