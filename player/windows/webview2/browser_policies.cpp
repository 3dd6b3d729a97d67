#include "player/windows/webview2/browser_policies.h"

#include <windows.h>

#include <shobjidl.h>

#include <array>
#include <optional>
#include <string_view>

#include "player/win32/unique_resource.h"
#include "player/win32/wide.h"

namespace player::webview2 {
namespace {

constexpr std::wstring_view kPolicyRoot = L"Software\\Policies\\Microsoft\\Edge\\WebView2\\";
constexpr std::array<const char*, 4> kPolicies = {kArgumentsPolicy, "BrowserExecutableFolder", "UserDataFolder",
                                                  "ReleaseChannelPreference"};
// Longer than any folder or argument list an administrator would write; a longer value is
// still reported, by its type.
constexpr DWORD kLongestValueBytes = 32768 * sizeof(wchar_t);

// The names a policy value may carry for this program: its file name, its AppUserModelID
// and "*" for every program.
std::vector<std::wstring> value_names() {
    std::vector<std::wstring> names;
    std::wstring path(32768, L'\0');
    const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length > 0 && length < path.size()) {
        path.resize(length);
        names.push_back(path.substr(path.find_last_of(L"\\/") + 1));
    }
    PWSTR model_id = nullptr;
    if (SUCCEEDED(::GetCurrentProcessExplicitAppUserModelID(&model_id)) && model_id != nullptr) {
        names.emplace_back(model_id);
    }
    ::CoTaskMemFree(model_id);
    names.emplace_back(L"*");
    return names;
}

std::optional<std::string> read_value(HKEY key, const std::wstring& name) {
    std::wstring buffer(kLongestValueBytes / sizeof(wchar_t), L'\0');
    DWORD type = REG_NONE;
    DWORD size = kLongestValueBytes;
    const LSTATUS result =
        ::RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size);
    if (result == ERROR_FILE_NOT_FOUND) return std::nullopt;
    // Present but unreadable (too long, for one): it is there all the same.
    if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return "(value of type " + std::to_string(type) + ")";
    }
    buffer.resize(size / sizeof(wchar_t));
    if (const std::size_t end = buffer.find(L'\0'); end != std::wstring::npos) buffer.resize(end);
    return win32::to_utf8(buffer).value_or("(not text)");
}

}  // namespace

std::vector<BrowserPolicy> read_browser_policies() {
    const std::vector<std::wstring> names = value_names();
    std::vector<BrowserPolicy> found;
    for (const auto& [root, root_name] : {std::pair{HKEY_LOCAL_MACHINE, "HKLM\\"}, std::pair{HKEY_CURRENT_USER, "HKCU\\"}}) {
        for (const char* policy : kPolicies) {
            const std::wstring subkey = std::wstring(kPolicyRoot) + win32::to_wide(policy).value_or(L"");
            win32::unique_hkey key;
            if (::RegOpenKeyExW(root, subkey.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) continue;
            for (const std::wstring& name : names) {
                auto value = read_value(key.get(), name);
                if (!value) continue;
                found.push_back({policy, root_name + win32::to_utf8(subkey).value_or(""),
                                 win32::to_utf8(name).value_or("?"), std::move(*value)});
            }
        }
    }
    return found;
}

}  // namespace player::webview2
