#include "player/windows/webview2/browser_overrides.h"

#include <windows.h>

#include <cwctype>
#include <string>
#include <vector>

namespace player::webview2 {
namespace {

constexpr std::wstring_view kOverridePrefix = L"WEBVIEW2_";

// Environment names are compared without regard to case, as the system does.
bool is_override(std::wstring_view name) {
    if (name.size() < kOverridePrefix.size()) return false;
    for (std::size_t i = 0; i < kOverridePrefix.size(); ++i) {
        if (std::towupper(name[i]) != kOverridePrefix[i]) return false;
    }
    return true;
}

}  // namespace

void remove_browser_overrides() {
    std::vector<std::wstring> names;
    if (wchar_t* block = ::GetEnvironmentStringsW()) {
        // Entries are "name=value"; names of drive-current folders start with '='.
        for (const wchar_t* entry = block; *entry != L'\0'; entry += std::wcslen(entry) + 1) {
            const std::wstring_view text(entry);
            const std::size_t equals = text.find(L'=', 1);
            const std::wstring_view name = text.substr(0, equals);
            if (is_override(name)) names.emplace_back(name);
        }
        ::FreeEnvironmentStringsW(block);
    }
    for (const std::wstring& name : names) ::SetEnvironmentVariableW(name.c_str(), nullptr);
}

}  // namespace player::webview2
