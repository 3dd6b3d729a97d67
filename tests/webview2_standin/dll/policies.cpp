#include "policies.h"

#include <windows.h>

#include <shobjidl.h>

#include "com.h"

namespace standin {

std::vector<Policy> read_policies() {
    std::vector<std::wstring> names;
    wchar_t path[MAX_PATH] = {};
    const std::wstring exe(path, ::GetModuleFileNameW(nullptr, path, MAX_PATH));
    names.push_back(exe.substr(exe.find_last_of(L"\\/") + 1));
    PWSTR model_id = nullptr;
    if (SUCCEEDED(::GetCurrentProcessExplicitAppUserModelID(&model_id)) && model_id != nullptr) names.emplace_back(model_id);
    ::CoTaskMemFree(model_id);
    names.emplace_back(L"*");

    std::vector<Policy> found;
    for (const auto& [root, root_name] : {std::pair{HKEY_LOCAL_MACHINE, "HKLM"}, std::pair{HKEY_CURRENT_USER, "HKCU"}}) {
        for (const wchar_t* policy : {L"AdditionalBrowserArguments", L"BrowserExecutableFolder", L"UserDataFolder",
                                      L"ReleaseChannelPreference"}) {
            const std::wstring subkey = std::wstring(L"Software\\Policies\\Microsoft\\Edge\\WebView2\\") + policy;
            for (const std::wstring& name : names) {
                wchar_t value[4096] = {};
                DWORD size = sizeof value;
                if (::RegGetValueW(root, subkey.c_str(), name.c_str(), RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ, nullptr,
                                   value, &size) != ERROR_SUCCESS) {
                    continue;
                }
                found.push_back({to_utf8(policy), root_name, to_utf8(name), to_utf8(value)});
            }
        }
    }
    return found;
}

}  // namespace standin
