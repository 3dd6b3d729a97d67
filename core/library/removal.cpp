#include "core/library/removal.h"

#include <algorithm>

namespace core {
namespace {

std::string shell_code_message(int code) {
    return "壁纸没有移到回收站（代码 " + std::to_string(code) + "）。请关闭正在使用该文件夹的程序后重试。";
}

}  // namespace

std::string removal_instruction(std::string_view name) {
    std::string text = "删除「";
    text += name;
    text += "」？";
    return text;
}

std::string removal_content(std::string_view extra_line) {
    std::string text(kRemovalContent);
    if (!extra_line.empty()) {
        text += '\n';
        text += extra_line;
    }
    return text;
}

std::string removal_message_text(std::string_view name, std::string_view extra_line) {
    return removal_instruction(name) + "\n\n" + removal_content(extra_line);
}

std::string_view removal_extra_line(bool playing, bool has_neighbour) {
    if (!playing) return {};
    return has_neighbour ? kRemovalNextLine : kRemovalEmptyLine;
}

std::optional<std::size_t> find_entry_index(const std::vector<LibraryEntry>& entries, std::string_view id) {
    const auto found = std::find_if(entries.begin(), entries.end(), [&](const LibraryEntry& e) { return e.id == id; });
    if (found == entries.end()) return std::nullopt;
    return static_cast<std::size_t>(found - entries.begin());
}

std::optional<LibraryEntry> removal_neighbour(const std::vector<LibraryEntry>& entries, std::size_t index) {
    if (index >= entries.size()) return std::nullopt;
    if (index + 1 < entries.size()) return entries[index + 1];
    if (index > 0) return entries[index - 1];
    return std::nullopt;
}

Result<RecycleOutcome> classify_recycle_result(int shell_code, bool aborted, bool folder_exists) {
    if (shell_code != 0) return fail(shell_code_message(shell_code));
    if (aborted) {
        // The shell says the user stopped it, yet the folder is gone: nobody can tell
        // whether it reached the Recycle Bin, so this is no success.
        if (folder_exists) return RecycleOutcome::not_moved;
        return fail(shell_code_message(0));
    }
    if (folder_exists) return fail(std::string(kRemovalStillThereMessage));
    return RecycleOutcome::moved;
}

}  // namespace core
