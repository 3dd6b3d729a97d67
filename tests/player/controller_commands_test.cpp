// The commands that act when nothing plays, and a package opened through the controller.
#include <windows.h>

#include <gtest/gtest.h>

#include "controller_fixture.h"
#include "core/crypto/ed25519.h"
#include "core/package/package_writer.h"
#include "core/shell/commands.h"
#include "core/shell/status_text.h"
#include "core/text/hex.h"
#include "player/library/paths.h"

namespace {

using ControllerCommandsTest = test::ControllerFixture;

// A package of "gamma" signed with the development key the test build trusts.
std::string development_package() {
    core::Ed25519Seed seed{};
    const auto secret = core::hex_decode(TESSARY_DEV_PUBLISHER_SECRET).value();
    std::copy(secret.begin(), secret.end(), seed.begin());
    const core::Manifest manifest{.id = "gamma", .name = "Gamma", .version = 1, .entry = "index.html", .fps = 30};
    core::AssetMap assets;
    const std::string page = "<p>gamma";
    assets["index.html"] = core::Bytes(page.begin(), page.end());
    const core::Bytes package = core::write_package(manifest, assets, seed).value();
    return std::string(package.begin(), package.end());
}

// Paths in settings.json: each backslash doubled.
std::string json_escaped(const std::string& path) {
    std::string escaped;
    for (const char c : path) {
        escaped += c;
        if (c == '\\') escaped += c;
    }
    return escaped;
}

TEST_F(ControllerCommandsTest, WithNothingPlayingTheModeCommandsReopenThePackageSourceOrDoNothing) {
    const std::string settings_file = player::join_path(data_, "settings.json");
    // No source: nothing to reopen, nothing to show.
    controller_->dispatch(core::CMD_SET_DESKTOP);
    controller_->dispatch(core::CMD_WINDOW_PREVIEW);
    EXPECT_EQ(layer_.last_page(), nullptr);
    EXPECT_FALSE(controller_->status_text());

    // A package candidate that cannot be opened is reported and changes nothing.
    controller_->set_package_source(root_ / "missing.wallpkg");
    controller_->dispatch(core::CMD_SET_DESKTOP);
    EXPECT_EQ(count_lines("command 110: "), 1u);
    EXPECT_EQ(controller_->status_text(), std::string(core::kGenericFailureStatus));
    EXPECT_EQ(layer_.last_page(), nullptr);
    EXPECT_FALSE(test::exists(settings_file));

    // A good one plays, and the copy kept in the store is what the settings remember.
    const std::string package = root_ / "gamma.wallpkg";
    test::write_file(package, development_package());
    controller_->set_package_source(package);
    controller_->dispatch(core::CMD_SET_DESKTOP);
    ASSERT_NE(layer_.last_page(), nullptr);
    EXPECT_EQ(layer_.last_page()->config().start_url, "wlp://localhost/index.html");
    const std::string settings = test::read_file(settings_file);
    EXPECT_NE(settings.find("\"selected_id\": \"gamma\""), std::string::npos) << settings;
    EXPECT_NE(settings.find("\"package\": \"" + json_escaped(player::join_path(data_, "packages\\"))),
              std::string::npos)
        << settings;
    // It asked for the desktop. Wine has none: the preview stands in, and says so. On
    // Windows, Explorer's desktop takes the page, and the preview command takes it off.
    const bool real_desktop = ::FindWindowW(L"Progman", nullptr) != nullptr;
    if (real_desktop) {
        EXPECT_EQ(count_lines("desktop mounted host="), 1u);
        EXPECT_EQ(controller_->status_text(), std::nullopt);
    } else {
        EXPECT_EQ(controller_->status_text(),
                  "暂时未能连接 Windows 桌面，当前显示窗口预览。点击“设为桌面壁纸”重试。");
    }

    // The mode commands then act on the playing page.
    controller_->dispatch(core::CMD_WINDOW_PREVIEW);
    EXPECT_FALSE(controller_->status_text());
    controller_->dispatch(core::CMD_TOGGLE_DESKTOP);
    EXPECT_EQ(controller_->status_text().has_value(), !real_desktop);
    EXPECT_EQ(count_lines("desktop mounted host="), real_desktop ? 2u : 0u);
    controller_->dispatch(core::CMD_WINDOW_PREVIEW);
    EXPECT_EQ(layer_.pages().size(), 1u);
}

}  // namespace
