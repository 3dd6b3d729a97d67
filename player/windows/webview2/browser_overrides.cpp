#include "player/windows/webview2/browser_overrides.h"

#include <windows.h>

#include <cwctype>
#include <string>
#include <vector>

namespace player::webview2 {
namespace {

constexpr std::wstring_view kOverridePrefix = L"WEBVIEW2_";
constexpr std::wstring_view kSwitchesName = L"EDGE-WEBVIEW-SWITCHES";

// True when text holds upper_needle at `at`, ignoring case: environment names and
// switches are compared as the system and the browser compare them.
bool matches_ignoring_case_at(std::wstring_view text, std::size_t at, std::wstring_view upper_needle) {
    if (text.size() < at || text.size() - at < upper_needle.size()) return false;
    for (std::size_t i = 0; i < upper_needle.size(); ++i) {
        if (std::towupper(text[at + i]) != upper_needle[i]) return false;
    }
    return true;
}

bool is_override(std::wstring_view name) { return matches_ignoring_case_at(name, 0, kOverridePrefix); }

bool contains_ignoring_case(std::wstring_view text, std::wstring_view upper_needle) {
    for (std::size_t at = 0; at + upper_needle.size() <= text.size(); ++at) {
        if (matches_ignoring_case_at(text, at, upper_needle)) return true;
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
