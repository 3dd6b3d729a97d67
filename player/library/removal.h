#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string_view>

#include "core/error/error.h"
#include "core/library/removal.h"

namespace player {

using core::RecycleOutcome;

// Asks whether the wallpaper's folder may go to the Recycle Bin: a task dialog from the
// system's comctl32, or a message box where there is none. True only for the confirm
// button (or OK). The extra line may be empty.
bool confirm_removal(HWND owner, std::string_view name, std::string_view extra_line);

// TaskDialogIndirect's signature.
using TaskDialogFunction = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);

// confirm_removal with the task dialog given; without one, or when it fails, the message
// box asks instead.
bool confirm_removal_with(TaskDialogFunction task_dialog, HWND owner, std::string_view name,
                          std::string_view extra_line);

// Only the library's own sub-folder for the id may be removed, whatever a listing claims
// to hold: fails with "只能删除壁纸库中的作品" for any other folder.
core::Status check_removable_folder(std::string_view data_folder, std::string_view id, std::string_view folder);

// Hands the folder to the shell to be moved to the Recycle Bin. not_moved when the user
// turned down the shell's own prompt; an error when the folder did not go, or went
// without the shell saying so.
core::Result<RecycleOutcome> move_to_recycle_bin(HWND owner, std::string_view folder);

// The two steps of a removal that face the user and the shell, replaceable in tests.
struct RemovalPrompts {
    std::function<bool(HWND owner, std::string_view name, std::string_view extra_line)> confirm = confirm_removal;
    std::function<core::Result<RecycleOutcome>(HWND owner, std::string_view folder)> recycle = move_to_recycle_bin;
};

}  // namespace player
