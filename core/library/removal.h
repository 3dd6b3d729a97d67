#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/error/error.h"
#include "core/library/library.h"

namespace core {

// The confirmation asked before a wallpaper's folder goes to the Recycle Bin.
inline constexpr std::string_view kRemovalTitle = "Tessary · 删除壁纸";
inline constexpr std::string_view kRemovalContent =
    "作品文件夹会移到回收站，需要时可以从回收站还原，或重新运行它的安装包。";
inline constexpr std::string_view kRemovalNextLine = "删除后会自动换成下一个壁纸。";
inline constexpr std::string_view kRemovalEmptyLine = "删除后壁纸库会是空的，桌面恢复原来的样子。";
inline constexpr std::string_view kRemovalConfirmCaption = "移到回收站";
inline constexpr std::string_view kRemovalCancelCaption = "取消";
// Button ids: the confirm button's own, and the standard cancel id (IDCANCEL).
inline constexpr int kRemovalConfirmButton = 100;
inline constexpr int kRemovalCancelButton = 2;

inline constexpr std::string_view kRemovalNotListedMessage = "这款壁纸已经不在壁纸库中";
inline constexpr std::string_view kRemovalOutsideLibraryMessage = "只能删除壁纸库中的作品";
inline constexpr std::string_view kRemovalInvalidPathMessage = "壁纸路径无效";
inline constexpr std::string_view kRemovalStillThereMessage = "壁纸文件夹仍然存在，请稍后重试";

// "删除「name」？"
std::string removal_instruction(std::string_view name);

// The content, with the extra line below it when there is one.
std::string removal_content(std::string_view extra_line);

// The text of the message box that stands in for the task dialog: the instruction, an
// empty line and the content.
std::string removal_message_text(std::string_view name, std::string_view extra_line);

// Only the playing wallpaper gets an extra line: what playback will do after the removal.
// Empty otherwise.
std::string_view removal_extra_line(bool playing, bool has_neighbour);

// The index of the first entry with the id (byte for byte), or none.
std::optional<std::size_t> find_entry_index(const std::vector<LibraryEntry>& entries, std::string_view id);

// What plays once the entry at index is gone: the entry after it, else the one before
// it, else none.
std::optional<LibraryEntry> removal_neighbour(const std::vector<LibraryEntry>& entries, std::size_t index);

enum class RecycleOutcome { moved, not_moved };

// What the shell's delete-to-Recycle-Bin came to, from its result code, its "aborted by
// the user" flag and whether the folder still exists afterwards.
Result<RecycleOutcome> classify_recycle_result(int shell_code, bool aborted, bool folder_exists);

}  // namespace core
