#include "player_fixture.h"

#include <windows.h>

#include "core/startup/instance.h"
#include "player/library/paths.h"
#include "player/win32/wide.h"
#include "publisher_key.h"

namespace e2e {

std::string instance_name() {
    return core::instance_name(core::parse_publisher_key(kBuiltInPublisherKey).value());
}

std::string PlayerTest::built_program() {
    // The test program lives in tests\e2e of the build tree, the player in player.
    return player::join_path(test::test_program_folder(), "..\\..\\player\\tessary.exe");
}

std::string PlayerTest::built_test_player() {
    return player::join_path(test::test_program_folder(), "tessary_test_player.exe");
}

std::string PlayerTest::built_test_preview() {
    return player::join_path(test::test_program_folder(), "tessary_test_preview.exe");
}

PlayerTest::PlayerTest() : instance_(instance_name()) {
    test::make_folder(root_ / "Tessary");
    exe_ = root_ / "Tessary\\tessary.exe";
    EXPECT_TRUE(::CopyFileW(win32::to_wide(built_program()).value().c_str(),
                            win32::to_wide(exe_).value().c_str(), FALSE))
        << "cannot copy " << built_program();
    // The loader DLL lies beside the built program; the WebView2 backend needs it there.
    const std::string loader = player::join_path(test::test_program_folder(), "..\\..\\player\\WebView2Loader.dll");
    ::CopyFileW(win32::to_wide(loader).value().c_str(),
                win32::to_wide(root_ / "Tessary\\WebView2Loader.dll").value().c_str(), FALSE);
    test::make_folder(root_ / "AppData");
    local_app_data_ = root_ / "AppData\\Local";
    test::make_folder(local_app_data_);
}

void PlayerTest::start_and_exit() {
    auto player = start({});
    EXPECT_NE(find_player_window(std::chrono::seconds(60)), nullptr);
    EXPECT_EQ(start({"--exit"}).wait(std::chrono::seconds(60)), 0u);
    EXPECT_EQ(player.wait(std::chrono::seconds(60)), 0u);
}

void PlayerTest::use_test_player() {
    ASSERT_TRUE(::CopyFileW(win32::to_wide(built_test_player()).value().c_str(), win32::to_wide(exe_).value().c_str(),
                            FALSE));
}

void PlayerTest::use_test_preview() {
    ASSERT_TRUE(::CopyFileW(win32::to_wide(built_test_preview()).value().c_str(), win32::to_wide(exe_).value().c_str(),
                            FALSE));
    instance_ = instance_name() + "-preview";
}

void PlayerTest::add_sample_wallpapers() {
    test::copy_tree(TESSARY_SAMPLES_FOLDER, root_ / "Tessary\\wallpapers");
}

std::string PlayerTest::log_text() const { return test::read_file(player::join_path(data_folder(), "player.log")); }

std::size_t PlayerTest::count_in_log(const std::string& text, std::size_t from) const {
    const std::string log = log_text();
    std::size_t count = 0;
    for (std::size_t at = log.find(text, from); at != std::string::npos; at = log.find(text, at + text.size())) {
        ++count;
    }
    return count;
}

bool PlayerTest::wait_for_log(const std::string& text, std::chrono::milliseconds timeout, std::size_t from) const {
    const ULONGLONG deadline = ::GetTickCount64() + timeout.count();
    while (::GetTickCount64() < deadline) {
        if (log_text().find(text, from) != std::string::npos) return true;
        test::pump_messages(std::chrono::milliseconds(100));
    }
    return false;
}

HWND PlayerTest::find_player_window(std::chrono::milliseconds timeout) const {
    const std::wstring title = win32::to_wide(instance_).value();
    const ULONGLONG deadline = ::GetTickCount64() + timeout.count();
    while (::GetTickCount64() < deadline) {
        if (const HWND window = ::FindWindowW(L"Tessary.Control", title.c_str())) return window;
        test::pump_messages(std::chrono::milliseconds(100));
    }
    return nullptr;
}

std::string PlayerTest::data_folder() const { return player::join_path(local_app_data_, instance_); }

test::ChildProcess PlayerTest::start(const std::vector<std::string>& args, test::Environment changes) {
    if (!changes.contains(L"LOCALAPPDATA")) changes[L"LOCALAPPDATA"] = win32::to_wide(local_app_data_).value();
    return test::start_process(exe_, args, changes);
}

}  // namespace e2e
