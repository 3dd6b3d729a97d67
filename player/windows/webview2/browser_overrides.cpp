#include "player/windows/webview2/browser_overrides.h"

#include <windows.h>

#include <cwctype>
#include <string>
#include <vector>

namespace player::webview2 {
namespace {

constexpr std::wstring_view kOverridePrefix = L"WEBVIEW2_";
constexpr std::wstring_view kSwitchesName = L"EDGE-WEBVIEW-SWITCHES";

// Environment names are compared without regard to case, as the system does.
bool is_override(std::wstring_view name) {
    if (name.size() < kOverridePrefix.size()) return false;
    for (std::size_t i = 0; i < kOverridePrefix.size(); ++i) {
        if (std::towupper(name[i]) != kOverridePrefix[i]) return false;
    }
    return true;
}

bool contains_ignoring_case(std::wstring_view text, std::wstring_view upper_needle) {
    if (text.size() < upper_needle.size()) return false;
    for (std::size_t at = 0; at + upper_needle.size() <= text.size(); ++at) {
        std::size_t i = 0;
        while (i < upper_needle.size() && std::towupper(text[at + i]) == upper_needle[i]) ++i;
        if (i == upper_needle.size()) return true;
    }
    return false;
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

bool command_line_overrides_browser() {
    // Anywhere in the text, quoted or not: a false alarm costs less than a browser that is
    // not ours.
    const wchar_t* line = ::GetCommandLineW();
    return line != nullptr && contains_ignoring_case(line, kSwitchesName);
}

}  // namespace player::webview2
