#include "quiet.h"

#include <shellapi.h>

namespace standin {

std::string host_webview_switches() {
    constexpr std::wstring_view kSwitch = L"--edge-webview-switches=";
    int count = 0;
    LPWSTR* arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::string value;
    for (int i = 1; arguments != nullptr && i < count; ++i) {
        const std::wstring_view argument(arguments[i]);
        if (argument.starts_with(kSwitch)) value = to_utf8(argument.substr(kSwitch.size()).data());
    }
    ::LocalFree(arguments);
    return value;
}

HRESULT ScriptDialogArgs::get_Kind(COREWEBVIEW2_SCRIPT_DIALOG_KIND* kind) {
    if (kind == nullptr) return E_POINTER;
    *kind = kind_ == "confirm"        ? COREWEBVIEW2_SCRIPT_DIALOG_KIND_CONFIRM
            : kind_ == "prompt"       ? COREWEBVIEW2_SCRIPT_DIALOG_KIND_PROMPT
            : kind_ == "beforeunload" ? COREWEBVIEW2_SCRIPT_DIALOG_KIND_BEFOREUNLOAD
                                      : COREWEBVIEW2_SCRIPT_DIALOG_KIND_ALERT;
    return S_OK;
}

}  // namespace standin
