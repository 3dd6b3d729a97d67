#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "child_process.h"
#include "test_folder.h"

namespace e2e {

// A portable copy of the program in a fresh folder, with its own LOCALAPPDATA, so every
// test starts from a clean machine.
class PlayerTest : public ::testing::Test {
public:
    // The built program, as the build left it.
    static std::string built_program();

protected:
    PlayerTest();

    const std::string& exe() const { return exe_; }
    const std::string& local_app_data() const { return local_app_data_; }
    // D: LOCALAPPDATA joined with the instance name.
    std::string data_folder() const;

    // Starts the copy with LOCALAPPDATA set (or changed by the test).
    test::ChildProcess start(const std::vector<std::string>& args, test::Environment changes = {});

    test::TestFolder root_;
    std::string exe_;
    std::string local_app_data_;
};

// "Tessary-" and the first twelve hex digits of the built-in key.
std::string instance_name();

}  // namespace e2e
