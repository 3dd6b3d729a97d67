#include <windows.h>

#include <gtest/gtest.h>

#include <regex>

#include "player/library/paths.h"
#include "player/win32/wide.h"
#include "player_fixture.h"

namespace {

using namespace std::chrono_literals;
using e2e::PlayerTest;

constexpr auto kStartTimeout = 30s;
constexpr std::string_view kCaption = "Tessary · 互动壁纸";

// Waits for the start-up message box, checks it and dismisses it; then the process must
// end with exit code 0.
void expect_startup_failure(test::ChildProcess& child, const std::string& message) {
    const auto box = test::wait_for_message_box(child.id(), kStartTimeout);
    ASSERT_TRUE(box) << "no message box for: " << message;
    EXPECT_EQ(box->caption, kCaption);
    EXPECT_EQ(box->text, "启动失败：\n" + message);
    test::dismiss(*box);
    EXPECT_EQ(child.wait(kStartTimeout), 0u);
}

TEST_F(PlayerTest, NormalStartPreparesTheDataFolderAndLogsTheStartupLine) {
    start_and_exit();
    const std::string d = data_folder();
    for (const char* folder : {"", "packages", "library"}) {
        const DWORD attributes = ::GetFileAttributesW(win32::to_wide(player::join_path(d, folder)).value().c_str());
        EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES) << folder;
        EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY) << folder;
    }
    const std::string log = test::read_file(player::join_path(d, "player.log"));
    const std::regex line("\\[[0-9]+\\] startup version=0\\.6\\.5 local_preview=false offline_share=false data=(.*)\n");
    std::smatch match;
    const std::string first_line = log.substr(0, log.find('\n') + 1);
    ASSERT_TRUE(std::regex_match(first_line, match, line)) << log;
    EXPECT_EQ(match[1].str(), d);
    EXPECT_FALSE(test::exists(player::join_path(d, "settings.json")));
}

TEST_F(PlayerTest, LogIsRotatedOnlyAboveTwoMebibytes) {
    const std::string d = data_folder();
    test::make_folder(d);
    test::write_file(player::join_path(d, "player.log"), std::string(2'097'152, 'k'));
    start_and_exit();
    const std::string appended = test::read_file(player::join_path(d, "player.log"));
    EXPECT_EQ(appended.substr(0, 2'097'152), std::string(2'097'152, 'k'));
    EXPECT_NE(appended.find("startup version=0.6.5", 2'097'152), std::string::npos);
    EXPECT_FALSE(test::exists(player::join_path(d, "player.previous.log")));

    test::write_file(player::join_path(d, "player.log"), std::string(2'097'153, 'm'));
    start_and_exit();
    EXPECT_EQ(test::read_file(player::join_path(d, "player.previous.log")), std::string(2'097'153, 'm'));
    const std::string fresh = test::read_file(player::join_path(d, "player.log"));
    EXPECT_EQ(fresh.front(), '[');
    EXPECT_NE(fresh.find("startup version=0.6.5"), std::string::npos);
}

TEST_F(PlayerTest, ExitWithNoPlayerRunningEndsAtOnceAndTouchesNothing) {
    auto child = start({"--exit"});
    EXPECT_EQ(child.wait(kStartTimeout), 0u);
    EXPECT_FALSE(test::exists(data_folder()));
}

// A stand-in for the running player's hidden controller window, to see the request.
struct FakeController {
    static inline UINT last_command = 0;
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
        if (message == WM_COMMAND) last_command = static_cast<UINT>(wparam);
        return ::DefWindowProcW(window, message, wparam, lparam);
    }
};

TEST_F(PlayerTest, ExitAsksTheRunningPlayerWithCommand107) {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = FakeController::procedure;
    window_class.hInstance = ::GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"Tessary.Control";
    ::RegisterClassW(&window_class);
    const HWND window = ::CreateWindowExW(WS_EX_TOOLWINDOW, L"Tessary.Control",
                                          win32::to_wide(e2e::instance_name()).value().c_str(), 0, 0, 0, 0,
                                          0, nullptr, nullptr, window_class.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    FakeController::last_command = 0;

    auto child = start({"--exit"});
    EXPECT_EQ(child.wait(kStartTimeout), 0u);
    test::pump_messages(200ms);
    EXPECT_EQ(FakeController::last_command, 107u);
    EXPECT_FALSE(test::exists(data_folder()));
    ::DestroyWindow(window);
}

TEST_F(PlayerTest, MissingLocalAppDataShowsTheMessageAndWritesNoLog) {
    auto child = start({}, {{L"LOCALAPPDATA", std::nullopt}});
    expect_startup_failure(child, "LOCALAPPDATA unavailable");
    EXPECT_FALSE(test::exists(data_folder()));
}

TEST_F(PlayerTest, CommandLineErrorsAreStartupFailures) {
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{"--select-wallpaper"}, "--select-wallpaper needs a wallpaper ID"},
        {{"--select-wallpaper", "--startup"}, "--select-wallpaper needs a wallpaper ID"},
        {{"--select-wallpaper", "two words"}, "invalid wallpaper ID"},
        {{"--source", root_.path()}, "--source requires an author-preview build"},
        {{"--source"}, "--source needs a local wallpaper directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        auto child = start(c.args);
        expect_startup_failure(child, c.message);
    }
    // Failures before the log is open leave no trace on disk.
    EXPECT_FALSE(test::exists(data_folder()));
}

TEST_F(PlayerTest, DataFolderBehindALinkIsRefused) {
    const auto link = test::folder_link(root_);
    if (!link) GTEST_SKIP() << "no folder link can be made here";
    auto child = start({}, {{L"LOCALAPPDATA", win32::to_wide(*link + "\\inner").value()}});
    const auto box = test::wait_for_message_box(child.id(), kStartTimeout);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, "启动失败：\n" + test::link_refusal());
    test::dismiss(*box);
    EXPECT_EQ(child.wait(kStartTimeout), 0u);
    EXPECT_FALSE(test::exists(*link + "\\inner\\" + e2e::instance_name()));
}

TEST_F(PlayerTest, DataFolderParentThatIsAFileIsRefused) {
    test::write_file(root_ / "plainfile", "not a folder");
    auto child = start({}, {{L"LOCALAPPDATA", win32::to_wide(root_ / "plainfile").value()}});
    expect_startup_failure(child, "source path is not a directory");
}

}  // namespace
