#include "player/library/paths.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "player/win32/system_error.h"
#include "player/win32/wide.h"

namespace player {
namespace {

bool is_separator(char c) { return c == '\\' || c == '/'; }

// Length of the root part: "C:\" or "C:", "\\server\share\", "\\?\C:\", "\\?\UNC\s\s\".
std::size_t root_length(std::string_view path) {
    std::size_t pos = 0;
    if (path.starts_with("\\\\?\\") || path.starts_with("\\\\.\\")) {
        pos = 4;
        if (path.substr(pos).starts_with("UNC\\")) {
            pos += 4;
        } else {
            if (path.size() >= pos + 2 && path[pos + 1] == ':') {
                pos += 2;
                return (path.size() > pos && is_separator(path[pos])) ? pos + 1 : pos;
            }
            const std::size_t end = path.find('\\', pos);
            return end == std::string_view::npos ? path.size() : end + 1;
        }
    } else if (path.size() >= 2 && is_separator(path[0]) && is_separator(path[1])) {
        pos = 2;
    } else {
        if (path.size() >= 2 && path[1] == ':') {
            return (path.size() > 2 && is_separator(path[2])) ? 3 : 2;
        }
        return (!path.empty() && is_separator(path[0])) ? 1 : 0;
    }
    // UNC: server and share.
    for (int part = 0; part < 2; ++part) {
        while (pos < path.size() && !is_separator(path[pos])) ++pos;
        if (pos < path.size()) ++pos;
    }
    return pos;
}

// The root with its separators unified, then the named components.
std::vector<std::string_view> path_components(std::string_view path, std::string& root) {
    const std::size_t length = root_length(path);
    root.assign(path.substr(0, length));
    std::replace(root.begin(), root.end(), '/', '\\');
    std::vector<std::string_view> components;
    std::size_t pos = length;
    while (pos < path.size()) {
        std::size_t end = pos;
        while (end < path.size() && !is_separator(path[end])) ++end;
        const std::string_view component = path.substr(pos, end - pos);
        if (!component.empty() && component != ".") components.push_back(component);
        pos = end + 1;
    }
    return components;
}

}  // namespace

bool is_absolute_path(std::string_view path) {
    if (path.size() >= 2 && is_separator(path[0]) && is_separator(path[1])) return true;
    return path.size() >= 3 && path[1] == ':' && is_separator(path[2]);
}

bool same_path(std::string_view a, std::string_view b) {
    std::string root_a;
    std::string root_b;
    const auto components_a = path_components(a, root_a);
    const auto components_b = path_components(b, root_b);
    return root_a == root_b && components_a == components_b;
}

std::string join_path(std::string_view folder, std::string_view name) {
    std::string joined(folder);
    if (!joined.empty() && !is_separator(joined.back())) joined += '\\';
    joined += name;
    return joined;
}

std::optional<std::string> parent_path(std::string_view path) {
    const std::size_t root = root_length(path);
    std::size_t end = path.size();
    while (end > root && is_separator(path[end - 1])) --end;
    if (end <= root) return std::nullopt;
    while (end > root && !is_separator(path[end - 1])) --end;
    if (end == 0) return std::nullopt;
    // Drop the separator before the last component, but keep the root's own.
    std::size_t parent_end = end;
    while (parent_end > root && is_separator(path[parent_end - 1])) --parent_end;
    return std::string(path.substr(0, parent_end));
}

namespace {

core::Result<std::wstring> full_path_utf16(const std::wstring& path) {
    std::vector<wchar_t> buffer(MAX_PATH);
    while (true) {
        const DWORD length =
            ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
        if (length == 0) return std::unexpected(win32::failed_call("GetFullPathNameW"));
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        buffer.resize(length);
    }
}

}  // namespace

core::Result<std::string> full_path(std::string_view path) {
    auto wide = win32::to_wide(path);
    if (!wide) return std::unexpected(wide.error());
    auto full = full_path_utf16(*wide);
    if (!full) return std::unexpected(full.error());
    return win32::to_utf8(*full);
}

core::Result<std::wstring> long_path(std::string_view path) {
    auto wide = win32::to_wide(path);
    if (!wide) return std::unexpected(wide.error());
    if (wide->starts_with(L"\\\\?\\") || wide->starts_with(L"\\\\.\\")) return wide;
    // The rewriting the system does to a plain path (separators, "." and "..", trailing
    // dots and spaces) happens here, since the "\\?\" form turns it off.
    auto full = full_path_utf16(*wide);
    if (!full) return std::unexpected(full.error());
    if (full->starts_with(L"\\\\?\\") || full->starts_with(L"\\\\.\\")) return full;  // a device name
    if (full->starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full->substr(2);
    return L"\\\\?\\" + *full;
}

}  // namespace player
