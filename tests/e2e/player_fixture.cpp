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

PlayerTest::PlayerTest() {
    test::make_folder(root_ / "Tessary");
    exe_ = root_ / "Tessary\\tessary.exe";
    EXPECT_TRUE(::CopyFileW(win32::to_wide(built_program()).value().c_str(),
                            win32::to_wide(exe_).value().c_str(), FALSE))
        << "cannot copy " << built_program();
    test::make_folder(root_ / "AppData");
    local_app_data_ = root_ / "AppData\\Local";
    test::make_folder(local_app_data_);
}

std::string PlayerTest::data_folder() const { return player::join_path(local_app_data_, instance_name()); }

test::ChildProcess PlayerTest::start(const std::vector<std::string>& args, test::Environment changes) {
    if (!changes.contains(L"LOCALAPPDATA")) changes[L"LOCALAPPDATA"] = win32::to_wide(local_app_data_).value();
    return test::start_process(exe_, args, changes);
}

}  // namespace e2e
