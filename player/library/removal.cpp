#include "player/library/removal.h"

#include <shellapi.h>

#include <array>
#include <optional>
#include <string>

#include "player/library/file_entry.h"
#include "player/library/library.h"
#include "player/library/paths.h"
#include "player/win32/unique_resource.h"
#include "player/win32/wide.h"

namespace player {
namespace {

// comctl32 from the system folder, with the one function the confirmation needs. Taken
// from nowhere else: a DLL planted beside the program or on the search path must not
// load. Should that copy lack the task dialog, the message box asks instead.
class CommonControls {
public:
    static std::optional<CommonControls> load() {
        CommonControls controls;
        controls.module_.reset(::LoadLibraryExW(L"comctl32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
        if (!controls.module_) return std::nullopt;
        const FARPROC symbol = ::GetProcAddress(controls.module_.get(), "TaskDialogIndirect");
        if (symbol == nullptr) return std::nullopt;
        controls.task_dialog = reinterpret_cast<TaskDialogFunction>(reinterpret_cast<void*>(symbol));
        return controls;
    }

    TaskDialogFunction task_dialog = nullptr;

private:
    win32::unique_module module_;
};

// Every text here comes from fixed strings or a verified manifest, so it is valid UTF-8.
std::wstring wide(std::string_view text) { return win32::to_wide(text).value_or(std::wstring()); }

// Characters that make the shell's delete operation mean something else: wildcards select
// other items, and a NUL would end the path early and name its parent folder.
constexpr std::string_view kShellSpecialCharacters{"*?\0", 3};

}  // namespace

bool confirm_removal(HWND owner, std::string_view name, std::string_view extra_line) {
    const std::optional<CommonControls> controls = CommonControls::load();
    return confirm_removal_with(controls ? controls->task_dialog : nullptr, owner, name, extra_line);
}

bool confirm_removal_with(TaskDialogFunction task_dialog, HWND owner, std::string_view name,
                          std::string_view extra_line) {
    const std::wstring title = wide(core::kRemovalTitle);
    if (task_dialog != nullptr) {
        const std::wstring instruction = wide(core::removal_instruction(name));
        const std::wstring content = wide(core::removal_content(extra_line));
        const std::wstring confirm = wide(core::kRemovalConfirmCaption);
        const std::wstring cancel = wide(core::kRemovalCancelCaption);
        const std::array<TASKDIALOG_BUTTON, 2> buttons{{{core::kRemovalConfirmButton, confirm.c_str()},
                                                        {core::kRemovalCancelButton, cancel.c_str()}}};
        TASKDIALOGCONFIG config{};
        config.cbSize = sizeof config;
        config.hwndParent = owner;
        config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
        config.pszWindowTitle = title.c_str();
        config.pszMainInstruction = instruction.c_str();
        config.pszContent = content.c_str();
        config.cButtons = static_cast<UINT>(buttons.size());
        config.pButtons = buttons.data();
        // Deleting is the step to think twice about: Enter alone must not do it.
        config.nDefaultButton = core::kRemovalCancelButton;
        int pressed = 0;
        if (SUCCEEDED(task_dialog(&config, &pressed, nullptr, nullptr))) return pressed == core::kRemovalConfirmButton;
    }
    const std::wstring text = wide(core::removal_message_text(name, extra_line));
    return ::MessageBoxW(owner, text.c_str(), title.c_str(), MB_OKCANCEL | MB_ICONWARNING | MB_DEFBUTTON2) == IDOK;
}

core::Status check_removable_folder(std::string_view data_folder, std::string_view id, std::string_view folder) {
    if (!same_path(folder, join_path(library_folder(data_folder), id))) {
        return core::fail(std::string(core::kRemovalOutsideLibraryMessage));
    }
    return {};
}

core::Result<RecycleOutcome> move_to_recycle_bin(HWND owner, std::string_view folder) {
    if (!is_absolute_path(folder) || folder.find_first_of(kShellSpecialCharacters) != std::string_view::npos) {
        return core::fail(std::string(core::kRemovalInvalidPathMessage));
    }
    // The one call that takes the plain form: the shell's file operations refuse "\\?\"
    // paths. A library folder is the data folder, "library" and an id of at most 100
    // bytes, which stays within their limit below any ordinary profile folder.
    auto path = win32::to_wide(folder);
    if (!path) return core::fail(std::string(core::kRemovalInvalidPathMessage), path.error());
    // The shell takes a list of paths, each ended by a NUL and the list by one more.
    path->push_back(L'\0');

    SHFILEOPSTRUCTW operation{};
    operation.hwnd = owner;
    operation.wFunc = FO_DELETE;
    operation.pFrom = path->c_str();
    operation.pTo = nullptr;
    // Undo allowed means the Recycle Bin. The one prompt left is the shell's warning
    // before an item that cannot go there would be deleted for good.
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_ALLOWUNDO | FOF_NOERRORUI | FOF_WANTNUKEWARNING;
    const int code = ::SHFileOperationW(&operation);
    const bool still_there = read_own_attributes(folder).has_value();
    return core::classify_recycle_result(code, operation.fAnyOperationsAborted != FALSE, still_there);
}

}  // namespace player
