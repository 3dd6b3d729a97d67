#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace test {

// A fresh folder under the temporary folder, removed with everything in it at the end.
class TestFolder {
public:
    TestFolder();
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(std::string_view name) const;

private:
    std::string path_;
};

// Small file helpers for tests; they fail the test on error.
void write_file(const std::string& path, std::string_view bytes);
std::string read_file(const std::string& path);
void make_folder(const std::string& path);
bool exists(const std::string& path);
void remove_tree(const std::string& path);
// Copies a folder with everything in it (links are not followed).
void copy_tree(const std::string& from, const std::string& to);

// A folder link whose target is a plain folder holding a folder "inner", or nothing when
// none can be made. Wine cannot create links itself but shows a Unix symbolic link as a
// reparse point, so under Wine the test runner prepares one (TESSARY_TEST_LINKS); on
// Windows a symbolic link is created in the given scratch folder.
std::optional<std::string> folder_link(const TestFolder& scratch);

}  // namespace test
