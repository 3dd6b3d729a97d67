#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "controller_fixture.h"
#include "core/shell/commands.h"
#include "player/library/paths.h"
#include "player/library/removal.h"
#include "player/windows/host_build.h"
#include "player/windows/host_window.h"

namespace {

using player::RecycleOutcome;

struct Confirmation {
    HWND owner = nullptr;
    std::string name;
    std::string extra_line;
};

// The controller with its confirmation answered by the test. The shell step is the real
// one (under Wine into the build tree's trash) unless a test gives an answer of its own.
class ControllerRemovalTest : public test::ControllerFixture {
protected:
    void adjust_setup(player::ControllerSetup& setup) override {
        if (!settings_text_.empty()) test::write_file(player::join_path(data_, "settings.json"), settings_text_);
        setup.removal_prompts.confirm = [this](HWND owner, std::string_view name, std::string_view extra_line) {
            confirmations_.push_back({owner, std::string(name), std::string(extra_line)});
            return confirm_;
        };
        setup.removal_prompts.recycle = [this](HWND owner, std::string_view folder) {
            recycled_.emplace_back(folder);
            if (shell_answer_) return *shell_answer_;
            return player::move_to_recycle_bin(owner, folder);
        };
    }

    std::string folder_of(std::string_view id) const { return player::join_path(library_folder(), id); }
    std::string settings() const { return test::read_file(player::join_path(data_, "settings.json")); }
    std::vector<std::string> listed_ids() const {
        std::vector<std::string> ids;
        for (const auto& entry : controller_->library().entries) ids.push_back(entry.id);
        return ids;
    }
    static bool host_window_exists() { return ::FindWindowW(player::kHostWindowClass, nullptr) != nullptr; }

    // Written before the controller loads its settings; empty leaves the file absent.
    std::string settings_text_;
    bool confirm_ = true;
    std::optional<core::Result<RecycleOutcome>> shell_answer_;
    std::vector<Confirmation> confirmations_;
    std::vector<std::string> recycled_;
};

TEST_F(ControllerRemovalTest, TheOnlyPlayingWallpaperGoesAndPlaybackStops) {
    test::remove_tree(folder_of("beta"));
    play_first();
    const std::size_t pages = layer_.pages().size();

    ASSERT_TRUE(controller_->remove_wallpaper("alpha"));
    ASSERT_EQ(confirmations_.size(), 1u);
    EXPECT_EQ(confirmations_[0].name, "alpha");
    EXPECT_EQ(confirmations_[0].extra_line, "删除后壁纸库会是空的，桌面恢复原来的样子。");
    EXPECT_EQ(confirmations_[0].owner, controller_->dialog_window());
    EXPECT_EQ(recycled_, std::vector<std::string>{folder_of("alpha")});
    EXPECT_FALSE(test::exists(folder_of("alpha")));
    EXPECT_TRUE(logged("library item moved to the Recycle Bin: alpha"));
    EXPECT_TRUE(listed_ids().empty());
    EXPECT_TRUE(layer_.last_page()->destroyed());
    EXPECT_FALSE(host_window_exists());
    EXPECT_EQ(controller_->status_text(), std::nullopt);
    EXPECT_NE(settings().find("\"removed\": [\n    \"alpha\"\n  ]"), std::string::npos) << settings();

    // Nothing plays any more: ticks build nothing, and there is no source to reopen.
    controller_->refresh_playback();
    controller_->dispatch(core::CMD_SET_DESKTOP);
    EXPECT_EQ(layer_.pages().size(), pages);
    EXPECT_EQ(controller_->status_text(), std::nullopt);
}

TEST_F(ControllerRemovalTest, TheLastEntryPlayingHandsOverToTheOneBeforeIt) {
    ASSERT_TRUE(controller_->select_by_id(core::validate_requested_id("beta").value()));
    ASSERT_TRUE(controller_->remove_wallpaper("beta"));
    ASSERT_EQ(confirmations_.size(), 1u);
    EXPECT_EQ(confirmations_[0].extra_line, "删除后会自动换成下一个壁纸。");
    EXPECT_EQ(layer_.pages().size(), 2u);
    EXPECT_TRUE(layer_.pages().front()->destroyed());
    EXPECT_FALSE(layer_.last_page()->destroyed());
    EXPECT_EQ(count_lines("free library load: id=alpha path="), 1u);
    EXPECT_EQ(listed_ids(), std::vector<std::string>{"alpha"});
    EXPECT_NE(settings().find("\"selected_id\": \"alpha\""), std::string::npos) << settings();
    EXPECT_NE(settings().find("\"removed\": [\n    \"beta\"\n  ]"), std::string::npos) << settings();
}

TEST_F(ControllerRemovalTest, AWallpaperThatIsNotPlayingGoesWithoutTouchingPlayback) {
    play_first();
    ASSERT_TRUE(controller_->remove_wallpaper("beta"));
    ASSERT_EQ(confirmations_.size(), 1u);
    EXPECT_EQ(confirmations_[0].name, "beta");
    EXPECT_EQ(confirmations_[0].extra_line, "");
    EXPECT_FALSE(test::exists(folder_of("beta")));
    EXPECT_EQ(layer_.pages().size(), 1u);
    EXPECT_FALSE(layer_.last_page()->destroyed());
    EXPECT_EQ(listed_ids(), std::vector<std::string>{"alpha"});
    EXPECT_NE(settings().find("\"selected_id\": \"alpha\""), std::string::npos) << settings();
}

TEST_F(ControllerRemovalTest, ACancelledConfirmationOrATurnedDownShellPromptChangesNothing) {
    play_first();
    const std::string before = settings();
    confirm_ = false;
    ASSERT_TRUE(controller_->remove_wallpaper("alpha"));
    EXPECT_TRUE(recycled_.empty());

    confirm_ = true;
    shell_answer_ = RecycleOutcome::not_moved;
    ASSERT_TRUE(controller_->remove_wallpaper("alpha"));
    EXPECT_EQ(recycled_.size(), 1u);

    EXPECT_EQ(confirmations_.size(), 2u);
    EXPECT_EQ(settings(), before);
    EXPECT_TRUE(test::exists(folder_of("alpha")));
    EXPECT_EQ(count_lines("library item moved"), 0u);
    EXPECT_EQ(listed_ids(), (std::vector<std::string>{"alpha", "beta"}));
    EXPECT_FALSE(layer_.last_page()->destroyed());
    EXPECT_EQ(controller_->status_text(), std::nullopt);
}

TEST_F(ControllerRemovalTest, AShellFailureLeavesSettingsAndPlaybackAsTheyWere) {
    play_first();
    const std::string before = settings();
    shell_answer_ = core::fail("壁纸没有移到回收站（代码 32）。请关闭正在使用该文件夹的程序后重试。");
    const auto removed = controller_->remove_wallpaper("alpha");
    ASSERT_FALSE(removed);
    EXPECT_EQ(removed.error().message(), "壁纸没有移到回收站（代码 32）。请关闭正在使用该文件夹的程序后重试。");
    EXPECT_EQ(settings(), before);
    EXPECT_EQ(count_lines("library item moved"), 0u);
    EXPECT_FALSE(layer_.last_page()->destroyed());
}

TEST_F(ControllerRemovalTest, NoIdDoesNothingAndBadOrUnknownIdsFailBeforeAnyQuestion) {
    play_first();
    const std::size_t lines = log_.lines().size();
    ASSERT_TRUE(controller_->remove_wallpaper(std::nullopt));
    EXPECT_EQ(log_.lines().size(), lines);

    const auto unknown = controller_->remove_wallpaper("gamma");
    ASSERT_FALSE(unknown);
    EXPECT_EQ(unknown.error().message(), "这款壁纸已经不在壁纸库中");
    // The listing is read again: a folder that went away meanwhile is not offered.
    test::remove_tree(folder_of("beta"));
    const auto gone = controller_->remove_wallpaper("beta");
    ASSERT_FALSE(gone);
    EXPECT_EQ(gone.error().message(), "这款壁纸已经不在壁纸库中");
    for (const char* bad : {"", ".alpha", "..", "a/b", "a\\b"}) {
        const auto invalid = controller_->remove_wallpaper(std::string(bad));
        ASSERT_FALSE(invalid) << bad;
        EXPECT_EQ(invalid.error().message(), "invalid wallpaper ID") << bad;
    }
    const auto device = controller_->remove_wallpaper("con");
    ASSERT_FALSE(device);
    EXPECT_EQ(device.error().message(), "reserved Windows asset path");
    EXPECT_TRUE(confirmations_.empty());
    EXPECT_TRUE(recycled_.empty());
    EXPECT_FALSE(layer_.last_page()->destroyed());
}

TEST_F(ControllerRemovalTest, ANeighbourThatFailsToPlayStopsPlaybackAndIsReturned) {
    play_first();
    layer_.fail_creation(core::Error("0x80070002"));
    const auto removed = controller_->remove_wallpaper("alpha");
    ASSERT_FALSE(removed);
    EXPECT_EQ(removed.error().message(), player::kWebViewUnavailableMessage);
    EXPECT_FALSE(test::exists(folder_of("alpha")));
    EXPECT_TRUE(layer_.pages().front()->destroyed());
    EXPECT_FALSE(host_window_exists());
    // Playback is over: the failed neighbour is not retried by the tick or by command 110.
    layer_.fail_creation(std::nullopt);
    controller_->refresh_playback();
    controller_->dispatch(core::CMD_SET_DESKTOP);
    EXPECT_EQ(layer_.pages().size(), 1u);
}

class ControllerRemovalRememberedTest : public ControllerRemovalTest {
protected:
    void adjust_setup(player::ControllerSetup& setup) override {
        settings_text_ = R"({"selected_id": "beta", "removed": ["beta"]})";
        ControllerRemovalTest::adjust_setup(setup);
    }
};

TEST_F(ControllerRemovalRememberedTest, AnIdAlreadyRemovedIsNotAddedTwiceAndARememberedChoiceIsForgotten) {
    ASSERT_TRUE(controller_->remove_wallpaper("beta"));
    EXPECT_EQ(confirmations_.at(0).extra_line, "");
    EXPECT_EQ(settings(), "{\n  \"package\": null,\n  \"fps\": null,\n  \"selected_id\": null,\n  \"removed\": [\n    \"beta\"\n  ]\n}");
    EXPECT_EQ(layer_.last_page(), nullptr);
}

}  // namespace
