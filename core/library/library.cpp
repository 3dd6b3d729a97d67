#include "core/library/library.h"

#include <algorithm>

namespace core {

std::string library_size_message() {
    return "wallpaper library exceeds " + std::to_string(kMaxLibraryItems) + " items";
}

void sort_library_entries(std::vector<LibraryEntry>& entries) {
    // std::string compares its bytes as unsigned char: byte order, prefix first.
    std::stable_sort(entries.begin(), entries.end(),
                     [](const LibraryEntry& a, const LibraryEntry& b) { return a.id < b.id; });
}

std::string rejection_text(std::string_view display_path, const Error& error) {
    std::string text(display_path);
    text += ": ";
    text += error.chain();
    return text;
}

std::optional<std::string> library_notice(std::size_t rejections) {
    if (rejections == 0) return std::nullopt;
    return "已跳过 " + std::to_string(rejections) + " 个未通过验证的作品，详细原因见日志。";
}

Result<std::optional<LibraryEntry>> choose_entry(const std::vector<LibraryEntry>& entries,
                                                 const std::optional<std::string>& requested,
                                                 const std::optional<std::string>& remembered) {
    const auto with_id = [&](std::string_view id) {
        return std::find_if(entries.begin(), entries.end(), [&](const LibraryEntry& e) { return e.id == id; });
    };
    if (requested) {
        if (auto valid = validate_library_id(*requested); !valid) return std::unexpected(valid.error());
        const auto found = with_id(*requested);
        if (found == entries.end()) return fail("指定壁纸未安装或未通过验证");
        return *found;
    }
    if (remembered) {
        if (const auto found = with_id(*remembered); found != entries.end()) return *found;
    }
    if (entries.empty()) return std::optional<LibraryEntry>();
    return entries.front();
}

}  // namespace core
