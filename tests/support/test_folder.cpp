#include "test_folder.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>

#include "player/library/fs_guards.h"
#include "player/library/paths.h"
#include "player/win32/unique_resource.h"
#include "player/win32/wide.h"

namespace test {
namespace {

std::wstring wide(std::string_view text) { return win32::to_wide(text).value(); }

}  // namespace

TestFolder::TestFolder() {
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH + 1];
    ::GetTempPathW(MAX_PATH + 1, temp);
    path_ = player::join_path(win32::to_utf8(temp).value(),
                              "tessary-test-" + std::to_string(::GetCurrentProcessId()) + "-" +
                                  std::to_string(::GetTickCount64()) + "-" + std::to_string(counter++));
    make_folder(path_);
}

TestFolder::~TestFolder() { remove_tree(path_); }

std::string TestFolder::operator/(std::string_view name) const { return player::join_path(path_, name); }

void write_file(const std::string& path, std::string_view bytes) {
    const win32::unique_file file(::CreateFileW(wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                                FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file) << path;
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    ASSERT_EQ(written, bytes.size()) << path;
}

std::string read_file(const std::string& path) {
    const auto bytes = player::read_file_limited(path, std::uint64_t{1} << 31);
    if (!bytes) return {};
    return std::string(bytes->begin(), bytes->end());
}

void make_folder(const std::string& path) {
    ASSERT_TRUE(::CreateDirectoryW(wide(path).c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS)
        << path;
}

bool exists(const std::string& path) {
    return ::GetFileAttributesW(wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void remove_tree(const std::string& path) {
    const std::wstring root = wide(path);
    const DWORD attributes = ::GetFileAttributesW(root.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    // Links are removed themselves, never followed.
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        WIN32_FIND_DATAW data;
        HANDLE find = ::FindFirstFileW((root + L"\\*").c_str(), &data);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = data.cFileName;
                if (name == L"." || name == L"..") continue;
                remove_tree(player::join_path(path, win32::to_utf8(name).value()));
            } while (::FindNextFileW(find, &data));
            ::FindClose(find);
        }
        ::RemoveDirectoryW(root.c_str());
    } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        ::RemoveDirectoryW(root.c_str());
    } else {
        ::SetFileAttributesW(root.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(root.c_str());
    }
}

void copy_tree(const std::string& from, const std::string& to) {
    make_folder(to);
    WIN32_FIND_DATAW data;
    const HANDLE find = ::FindFirstFileW((wide(from) + L"\\*").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE) << from;
    do {
        const std::string name = win32::to_utf8(data.cFileName).value();
        if (name == "." || name == "..") continue;
        const std::string source = player::join_path(from, name);
        const std::string target = player::join_path(to, name);
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            copy_tree(source, target);
        } else {
            EXPECT_TRUE(::CopyFileW(wide(source).c_str(), wide(target).c_str(), FALSE)) << source;
        }
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
}

namespace {

// The folder the test runner prepared with Unix links, when running under Wine.
std::optional<std::string> prepared_links() {
    wchar_t prepared[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableW(L"TESSARY_TEST_LINKS", prepared, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::nullopt;
    return win32::to_utf8(std::wstring_view(prepared, length)).value();
}

}  // namespace

std::optional<std::string> folder_link(const TestFolder& scratch) {
    if (const auto prepared = prepared_links()) return player::join_path(*prepared, "linked");
    make_folder(scratch / "real");
    make_folder(scratch / "real\\inner");
    const std::string link = scratch / "linked";
    if (!::CreateSymbolicLinkW(wide(link).c_str(), wide(scratch / "real").c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) ||
        !exists(link)) {
        return std::nullopt;
    }
    return link;
}

std::optional<std::string> data_with_untextual_name(const TestFolder& scratch) {
    wchar_t prepared[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableW(L"TESSARY_TEST_NAMES", prepared, MAX_PATH);
    if (length > 0 && length < MAX_PATH) return win32::to_utf8(std::wstring_view(prepared, length)).value();
    make_folder(scratch / "data");
    make_folder(scratch / "data\\library");
    const std::wstring lone = wide(scratch / "data\\library") + L"\\a\xD800";
    if (!::CreateDirectoryW(lone.c_str(), nullptr)) return std::nullopt;
    return scratch / "data";
}

std::string link_refusal() {
    return prepared_links() ? "source reparse points are not allowed" : "source symlinks are not allowed";
}

std::optional<std::string> tree_with_link(const TestFolder& scratch) {
    if (const auto prepared = prepared_links()) return player::join_path(*prepared, "tree");
    make_folder(scratch / "real");
    make_folder(scratch / "real\\inner");
    make_folder(scratch / "tree");
    make_folder(scratch / "tree\\m");
    const std::string tree = scratch / "tree";
    if (!::CreateSymbolicLinkW(wide(tree + "\\m\\folder-link").c_str(), wide(scratch / "real").c_str(),
                               SYMBOLIC_LINK_FLAG_DIRECTORY)) {
        return std::nullopt;
    }
    return tree;
}

}  // namespace test
