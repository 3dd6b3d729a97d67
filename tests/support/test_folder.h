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

// The guards' message for the links folder_link makes. Windows gives a symbolic link its
// tag, a name surrogate: "source symlinks are not allowed". Wine shows the runner's Unix
// link as a reparse point with tag 0: "source reparse points are not allowed". Wine can
// make neither a symbolic link nor a junction, so the junction's message is tested on
// its tag alone.
std::string link_refusal();

// A folder "tree" holding a folder "m" with "folder-link" in it, a link to the folder
// "real" beside the tree (which holds "inner"); nothing when no link can be made. Only a folder link: Wine shows a Unix
// link to a file as a plain file, and deleting it deletes its target.
std::optional<std::string> tree_with_link(const TestFolder& scratch);

// A data folder whose library holds one folder named "a" and a character that is not
// Unicode text, so that no text names it; nothing when none can be made. Windows keeps a
// lone surrogate in a name. Wine cannot, but lists a Unix name that is not UTF-8 with
// replacement characters, which no longer name it: the test runner prepares one
// (TESSARY_TEST_NAMES).
std::optional<std::string> data_with_untextual_name(const TestFolder& scratch);

}  // namespace test
