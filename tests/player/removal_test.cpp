#include "player/library/removal.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <optional>
#include <thread>

#include "child_process.h"
#include "player/library/paths.h"
#include "player/win32/wide.h"
#include "test_folder.h"

namespace {

using namespace std::chrono_literals;
using player::RecycleOutcome;

constexpr std::string_view kCodeMessageStart = "壁纸没有移到回收站（代码 ";

// What the stand-in task dialog was shown, and how it answers.
struct TaskDialogSeen {
    HWND owner = nullptr;
    TASKDIALOG_FLAGS flags = 0;
    std::wstring title;
    std::wstring instruction;
    std::wstring content;
    std::vector<std::pair<int, std::wstring>> buttons;
    int default_button = 0;
    bool main_icon = false;
    TASKDIALOG_COMMON_BUTTON_FLAGS common_buttons = 0;
};
TaskDialogSeen g_seen;
int g_press = 0;
HRESULT g_result = S_OK;

HRESULT WINAPI stand_in_task_dialog(const TASKDIALOGCONFIG* config, int* pressed, int*, BOOL*) {
    g_seen.owner = config->hwndParent;
    g_seen.flags = config->dwFlags;
    g_seen.title = config->pszWindowTitle;
    g_seen.instruction = config->pszMainInstruction;
    g_seen.content = config->pszContent;
    g_seen.buttons.clear();
    for (UINT i = 0; i < config->cButtons; ++i) {
        g_seen.buttons.emplace_back(config->pButtons[i].nButtonID, config->pButtons[i].pszButtonText);
    }
    g_seen.default_button = config->nDefaultButton;
    g_seen.main_icon = config->pszMainIcon != nullptr;
    g_seen.common_buttons = config->dwCommonButtons;
    if (SUCCEEDED(g_result)) *pressed = g_press;
    return g_result;
}

std::string text_of(HWND window) {
    wchar_t buffer[1024];
    const int length = ::GetWindowTextW(window, buffer, 1024);
    return win32::to_utf8(std::wstring_view(buffer, length > 0 ? length : 0)).value_or("");
}

// A visible top-level window of this process that passes the test, waited for from
// another thread; null after the timeout.
HWND wait_for_own_window(const std::function<bool(HWND)>& wanted, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        HWND window = nullptr;
        while ((window = ::FindWindowExW(nullptr, window, nullptr, nullptr)) != nullptr) {
            DWORD process = 0;
            ::GetWindowThreadProcessId(window, &process);
            if (process == ::GetCurrentProcessId() && ::IsWindowVisible(window) && wanted(window)) return window;
        }
        std::this_thread::sleep_for(50ms);
    }
    return nullptr;
}

HWND wait_for_window_titled(std::string_view title, std::chrono::milliseconds timeout) {
    return wait_for_own_window([&](HWND window) { return text_of(window) == title; }, timeout);
}

// The shell's question before it deletes for good: a dialog with a "No" button.
HWND wait_for_shell_prompt(std::chrono::milliseconds timeout) {
    return wait_for_own_window([](HWND window) { return ::GetDlgItem(window, IDNO) != nullptr; }, timeout);
}

std::vector<std::string> child_texts(HWND window) {
    std::vector<std::string> texts;
    ::EnumChildWindows(
        window,
        [](HWND child, LPARAM context) -> BOOL {
            const std::string text = text_of(child);
            if (!text.empty()) reinterpret_cast<std::vector<std::string>*>(context)->push_back(text);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&texts));
    return texts;
}

bool contains(const std::vector<std::string>& texts, std::string_view text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

TEST(ConfirmRemoval, TheTaskDialogShowsTheTextsWithCancelAsDefault) {
    g_press = core::kRemovalConfirmButton;
    g_result = S_OK;
    const HWND owner = reinterpret_cast<HWND>(0x1234);
    EXPECT_TRUE(player::confirm_removal_with(stand_in_task_dialog, owner, "海边", core::kRemovalNextLine));
    EXPECT_EQ(g_seen.owner, owner);
    EXPECT_EQ(g_seen.title, L"Tessary · 删除壁纸");
    EXPECT_EQ(g_seen.instruction, L"删除「海边」？");
    EXPECT_EQ(g_seen.content, L"作品文件夹会移到回收站，需要时可以从回收站还原，或重新运行它的安装包。\n删除后会自动换成下一个壁纸。");
    ASSERT_EQ(g_seen.buttons.size(), 2u);
    EXPECT_EQ(g_seen.buttons[0], std::make_pair(100, std::wstring(L"移到回收站")));
    EXPECT_EQ(g_seen.buttons[1], std::make_pair(IDCANCEL, std::wstring(L"取消")));
    EXPECT_EQ(g_seen.default_button, IDCANCEL);
    EXPECT_EQ(g_seen.flags, TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW);
    EXPECT_FALSE(g_seen.main_icon);
    EXPECT_EQ(g_seen.common_buttons, 0);
}

TEST(ConfirmRemoval, OnlyTheConfirmButtonConfirms) {
    g_result = S_OK;
    g_press = IDCANCEL;
    EXPECT_FALSE(player::confirm_removal_with(stand_in_task_dialog, nullptr, "a", ""));
    EXPECT_EQ(g_seen.content, L"作品文件夹会移到回收站，需要时可以从回收站还原，或重新运行它的安装包。");
    g_press = IDOK;
    EXPECT_FALSE(player::confirm_removal_with(stand_in_task_dialog, nullptr, "a", ""));
}

// Destroying a controller window posts WM_QUIT; one left behind by an earlier test would
// end the next modal loop at once.
void drop_quit_messages() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

// The message box stands in when the task dialog is missing or fails. Answered from a
// second thread while this one runs the modal loop.
class MessageBoxFallback : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { drop_quit_messages(); }
};

TEST_P(MessageBoxFallback, AsksWithWarningOkAndCancelAndCancelDefault) {
    g_result = E_OUTOFMEMORY;
    const bool missing = GetParam();
    for (const bool answer_ok : {true, false}) {
        std::optional<test::MessageBoxSeen> seen;
        LONG_PTR cancel_style = 0;
        LONG_PTR ok_style = 0;
        std::thread answerer([&] {
            seen = test::wait_for_message_box(::GetCurrentProcessId(), 10s);
            if (!seen) return;
            cancel_style = ::GetWindowLongPtrW(::GetDlgItem(seen->window, IDCANCEL), GWL_STYLE);
            ok_style = ::GetWindowLongPtrW(::GetDlgItem(seen->window, IDOK), GWL_STYLE);
            ::PostMessageW(seen->window, WM_COMMAND, answer_ok ? IDOK : IDCANCEL, 0);
        });
        const bool confirmed = player::confirm_removal_with(missing ? nullptr : stand_in_task_dialog, nullptr, "Rain",
                                                            core::kRemovalEmptyLine);
        answerer.join();
        ASSERT_TRUE(seen);
        EXPECT_EQ(confirmed, answer_ok);
        EXPECT_EQ(seen->caption, "Tessary · 删除壁纸");
        EXPECT_EQ(seen->text,
                  "删除「Rain」？\n\n作品文件夹会移到回收站，需要时可以从回收站还原，或重新运行它的安装包。\n"
                  "删除后壁纸库会是空的，桌面恢复原来的样子。");
        EXPECT_EQ(cancel_style & BS_TYPEMASK, BS_DEFPUSHBUTTON);
        EXPECT_EQ(ok_style & BS_TYPEMASK, BS_PUSHBUTTON);
    }
}

INSTANTIATE_TEST_SUITE_P(MissingOrFailingTaskDialog, MessageBoxFallback, ::testing::Values(true, false));

TEST(ConfirmRemoval, TheSystemTaskDialogCanBeAnsweredWithEitherButton) {
    drop_quit_messages();
    for (const int button : {core::kRemovalConfirmButton, IDCANCEL}) {
        std::vector<std::string> texts;
        bool found = false;
        std::thread answerer([&] {
            const HWND dialog = wait_for_window_titled(core::kRemovalTitle, 10s);
            if (dialog == nullptr) return;
            found = true;
            texts = child_texts(dialog);
            ::SendMessageW(dialog, TDM_CLICK_BUTTON, static_cast<WPARAM>(button), 0);
        });
        const bool confirmed = player::confirm_removal(nullptr, "海边", "");
        answerer.join();
        ASSERT_TRUE(found);
        EXPECT_EQ(confirmed, button == core::kRemovalConfirmButton);
        EXPECT_TRUE(contains(texts, "删除「海边」？"));
        EXPECT_TRUE(contains(texts, "作品文件夹会移到回收站，需要时可以从回收站还原，或重新运行它的安装包。"));
        EXPECT_TRUE(contains(texts, "移到回收站"));
        EXPECT_TRUE(contains(texts, "取消"));
    }
}

TEST(MoveToRecycleBin, AFolderLeavesItsPlaceForTheRecycleBin) {
    const test::TestFolder root;
    const std::string name = "tessary-removal-" + std::to_string(::GetTickCount64());
    const std::string folder = root / name;
    test::make_folder(folder);
    test::write_file(player::join_path(folder, "manifest.json"), "{}");

    const auto moved = player::move_to_recycle_bin(nullptr, folder);
    ASSERT_TRUE(moved) << moved.error().chain();
    EXPECT_EQ(*moved, RecycleOutcome::moved);
    EXPECT_FALSE(test::exists(folder));
    // Under Wine the Recycle Bin is the XDG trash, which the test scripts keep in the build
    // tree; the folder must have arrived there rather than been deleted.
    if (const char* data_home = std::getenv("XDG_DATA_HOME")) {
        EXPECT_TRUE(test::exists("Z:" + std::string(data_home) + "/Trash/files/" + name));
    }
}

TEST(MoveToRecycleBin, PathsThatAreNotPlainAbsoluteFoldersAreRefused) {
    const test::TestFolder root;
    test::make_folder(root / "item1");
    for (const std::string& path : {std::string("library\\item1"), std::string("C:item1"), std::string("\\item1"),
                                    std::string(), root / "item?", root / "item*", root / "item1" + '\0' + "x"}) {
        const auto result = player::move_to_recycle_bin(nullptr, path);
        ASSERT_FALSE(result) << path;
        EXPECT_EQ(result.error().message(), "壁纸路径无效");
    }
    EXPECT_TRUE(test::exists(root / "item1"));
}

// Wine asks before it deletes what cannot go to its trash, which a folder on another
// device (/dev/shm, a tmpfs) cannot. "No" keeps the folder; "Yes" deletes it for good,
// which the user chose, so it counts as moved.
TEST(MoveToRecycleBin, TheShellsPermanentDeletionPromptDecides) {
    const std::string shm = "Z:\\dev\\shm";
    if (!test::exists(shm)) GTEST_SKIP() << "Wine-only: Wine's prompt for what its trash cannot take needs a tmpfs at /dev/shm";
    drop_quit_messages();
    for (const int answer : {IDNO, IDYES}) {
        const std::string folder = player::join_path(shm, "tessary-removal-" + std::to_string(::GetTickCount64()));
        test::make_folder(folder);
        bool asked = false;
        std::thread answerer([&] {
            const HWND prompt = wait_for_shell_prompt(10s);
            asked = prompt != nullptr;
            if (asked) ::PostMessageW(prompt, WM_COMMAND, static_cast<WPARAM>(answer), 0);
        });
        const auto result = player::move_to_recycle_bin(nullptr, folder);
        answerer.join();
        ASSERT_TRUE(asked);
        ASSERT_TRUE(result) << result.error().chain();
        EXPECT_EQ(*result, answer == IDNO ? RecycleOutcome::not_moved : RecycleOutcome::moved);
        EXPECT_EQ(test::exists(folder), answer == IDNO);
        test::remove_tree(folder);
    }
}

// A missing folder fails with the shell's code. (Windows fails at once; Wine first asks
// whether to delete it for good, since nothing missing can go to its trash, and then
// fails. A folder held open by another program makes Windows fail too, but Wine moves it
// regardless, so that case is left to the classification's own tests.)
TEST(MoveToRecycleBin, AShellFailureGivesTheCodeMessage) {
    const test::TestFolder root;
    drop_quit_messages();
    std::thread answerer([] {
        if (const HWND prompt = wait_for_shell_prompt(5s)) ::PostMessageW(prompt, WM_COMMAND, IDYES, 0);
    });
    const auto result = player::move_to_recycle_bin(nullptr, root / "missing");
    answerer.join();
    ASSERT_FALSE(result);
    EXPECT_TRUE(result.error().message().starts_with(kCodeMessageStart)) << result.error().message();
    EXPECT_EQ(result.error().message().find("（代码 0）"), std::string::npos) << result.error().message();
}

TEST(RemovableFolder, OnlyTheLibrarysOwnFolderForTheIdMayGo) {
    EXPECT_TRUE(player::check_removable_folder("C:\\D", "alpha", "C:\\D\\library\\alpha"));
    EXPECT_TRUE(player::check_removable_folder("C:\\D", "alpha", "C:/D/library/alpha"));
    for (const char* folder : {"C:\\D\\library\\beta", "C:\\D\\packages\\alpha", "C:\\D\\library\\alpha\\inner",
                               "C:\\D\\library", "C:\\D\\library\\..\\alpha", "C:\\D\\library\\ALPHA"}) {
        const auto result = player::check_removable_folder("C:\\D", "alpha", folder);
        ASSERT_FALSE(result) << folder;
        EXPECT_EQ(result.error().message(), "只能删除壁纸库中的作品");
    }
}

}  // namespace
