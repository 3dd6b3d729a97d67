#include <windows.h>

#include <gtest/gtest.h>

#include "player/library/paths.h"
#include "player_fixture.h"

namespace {

using namespace std::chrono_literals;
using e2e::PlayerTest;

constexpr auto kTimeout = 60s;

// The author-preview build (with the stand-in browser) playing an author's folder.
class PreviewBuildTest : public PlayerTest {
protected:
    void SetUp() override {
        use_test_preview();
        source_ = root_ / "my-scene";
        test::make_folder(source_);
        write_source(R"({"id":"my-scene","name":"My Scene","version":1,"entry":"index.html","fps":60})");
        test::write_file(player::join_path(source_, "index.html"), "<p>first</p>");
    }
    void TearDown() override {
        if (player_) {
            start({"--exit"}).wait(kTimeout);
            player_->wait(kTimeout);
        }
    }
    void write_source(const std::string& manifest) {
        test::write_file(player::join_path(source_, "manifest.json"), manifest);
    }

    std::string source_;
    std::optional<test::ChildProcess> player_;
};

TEST_F(PreviewBuildTest, PlaysTheFolderInPlaceReloadsOnChangeAndShowsABrokenRule) {
    // Something beside the program that the normal player would install.
    add_sample_wallpapers();
    player_.emplace(start({"--source", source_}));
    ASSERT_TRUE(wait_for_log("state paused=false fps=60", kTimeout)) << log_text();
    std::string log = log_text();
    EXPECT_NE(log.find("local_preview=true"), std::string::npos) << log;
    EXPECT_NE(log.find("source load: id=my-scene path=" + source_), std::string::npos) << log;
    // Its own data folder, nothing installed, and the player's own data untouched.
    EXPECT_NE(data_folder().find("-preview"), std::string::npos);
    EXPECT_FALSE(test::exists(player::join_path(data_folder(), "library\\my-scene")));
    EXPECT_FALSE(test::exists(player::join_path(data_folder(), "library\\aurora-drift")));
    EXPECT_FALSE(test::exists(player::join_path(local_app_data(), e2e::instance_name())));

    // A save is played again, once the folder has been quiet for a moment.
    std::size_t before = log_text().size();
    test::write_file(player::join_path(source_, "index.html"), "<p>second</p>");
    ASSERT_TRUE(wait_for_log("source load: id=my-scene", 10s, before)) << log_text().substr(before);
    ASSERT_TRUE(wait_for_log("wallpaper bridge ready", 10s, before)) << log_text().substr(before);
    EXPECT_NE(log_text().find("source changed: " + source_, before), std::string::npos);

    // A change that breaks a rule is reported with the rule's own message; the last good
    // version keeps playing.
    before = log_text().size();
    test::write_file(player::join_path(source_, "Thumbs.db"), "x");
    ASSERT_TRUE(wait_for_log("source: private or tool file is not a wallpaper asset: Thumbs.db", 10s, before))
        << log_text().substr(before);
    EXPECT_EQ(log_text().find("source load:", before), std::string::npos);
    EXPECT_FALSE(test::exists(player::join_path(data_folder(), "library\\my-scene")));
}

TEST_F(PreviewBuildTest, ABrokenFolderIsRefusedWithTheLibraryMessage) {
    write_source(R"({"id":"my-scene","name":"My Scene","version":1,"entry":"index.html","fps":25})");
    player_.emplace(start({"--source", source_}));
    ASSERT_TRUE(wait_for_log("source: fps must be 30 or 60", kTimeout)) << log_text();
    EXPECT_EQ(log_text().find("source load:"), std::string::npos);
}

TEST_F(PreviewBuildTest, SourceWithoutAFolderIsAStartupFailure) {
    auto child = start({"--source"});
    const auto box = test::wait_for_message_box(child.id(), kTimeout);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, "启动失败：\n--source needs a local wallpaper directory");
    test::dismiss(*box);
    EXPECT_EQ(child.wait(kTimeout), 0u);
}

}  // namespace
