// The one export of WebView2Loader.dll the program calls.
#include <objbase.h>

#include <cstdio>

#include "channel.h"
#include "environment.h"
#include "policies.h"
#include "quiet.h"

namespace standin {
namespace {

HMODULE this_module() {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&this_module), &module);
    return module;
}

std::string option_text(ICoreWebView2EnvironmentOptions* options, HRESULT (STDMETHODCALLTYPE ICoreWebView2EnvironmentOptions::*get)(LPWSTR*)) {
    if (options == nullptr) return {};
    LPWSTR value = nullptr;
    if (FAILED((options->*get)(&value)) || value == nullptr) return {};
    std::string text = to_utf8(value);
    ::CoTaskMemFree(value);
    return text;
}

// A newer option of the caller's options object: "unset" when it does not offer it.
template <class Options>
std::string option_flag(ICoreWebView2EnvironmentOptions* options, const IID& iid,
                        HRESULT (STDMETHODCALLTYPE Options::*get)(BOOL*)) {
    Options* newer = nullptr;
    if (options == nullptr || FAILED(options->QueryInterface(iid, reinterpret_cast<void**>(&newer))) || !newer) {
        return "unset";
    }
    BOOL value = FALSE;
    const HRESULT got = (newer->*get)(&value);
    newer->Release();
    return FAILED(got) ? "unset" : value ? "1" : "0";
}

// The loader's documented overrides: these variables win over the caller's values.
std::optional<std::string> variable(const wchar_t* name) {
    wchar_t value[32768];
    const DWORD length = ::GetEnvironmentVariableW(name, value, 32768);
    if (length == 0 || length >= 32768) return std::nullopt;
    return to_utf8(value);
}

}  // namespace
}  // namespace standin

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE CreateCoreWebView2EnvironmentWithOptions(
    PCWSTR browser_folder, PCWSTR user_data_folder, ICoreWebView2EnvironmentOptions* options,
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler) {
    using namespace standin;
    const Config config = Config::read_beside(this_module());
    std::string arguments = option_text(options, &ICoreWebView2EnvironmentOptions::get_AdditionalBrowserArguments);
    std::string user_data = user_data_folder == nullptr ? std::string() : to_utf8(user_data_folder);
    std::string call = "call CreateCoreWebView2EnvironmentWithOptions browserFolder=" +
                       (browser_folder == nullptr ? std::string("null") : to_utf8(browser_folder)) +
                       " userDataFolder=" + user_data + " arguments=" + arguments + " language=" +
                       option_text(options, &ICoreWebView2EnvironmentOptions::get_Language) + " targetVersion=" +
                       option_text(options, &ICoreWebView2EnvironmentOptions::get_TargetCompatibleBrowserVersion);
    for (const wchar_t* name : {L"WEBVIEW2_BROWSER_EXECUTABLE_FOLDER", L"WEBVIEW2_USER_DATA_FOLDER",
                                L"WEBVIEW2_ADDITIONAL_BROWSER_ARGUMENTS", L"WEBVIEW2_RELEASE_CHANNEL_PREFERENCE"}) {
        if (const auto value = variable(name)) {
            call += " env:" + to_utf8(name) + "=" + *value;
            if (std::wstring(name) == L"WEBVIEW2_ADDITIONAL_BROWSER_ARGUMENTS") arguments = *value;
            if (std::wstring(name) == L"WEBVIEW2_USER_DATA_FOLDER") user_data = *value;
        }
    }
    // The loader's policy values: their arguments come after the program's, as the
    // variable's would; the folder and channel are recorded only.
    for (const Policy& policy : read_policies()) {
        call += " policy:" + policy.root + "\\" + policy.name + "[" + policy.value_name + "]=" + policy.value;
        if (policy.name == "AdditionalBrowserArguments" && !variable(L"WEBVIEW2_ADDITIONAL_BROWSER_ARGUMENTS")) {
            arguments += " " + policy.value;
        }
    }
    call += " exclusiveUserDataFolderAccess=" + option_flag<ICoreWebView2EnvironmentOptions2>(
                                                     options, IID_ICoreWebView2EnvironmentOptions2,
                                                     &ICoreWebView2EnvironmentOptions2::get_ExclusiveUserDataFolderAccess) +
            " customCrashReporting=" + option_flag<ICoreWebView2EnvironmentOptions3>(
                                           options, IID_ICoreWebView2EnvironmentOptions3,
                                           &ICoreWebView2EnvironmentOptions3::get_IsCustomCrashReportingEnabled);
    if (const std::string switches = host_webview_switches(); !switches.empty()) {
        call += " hostSwitches=" + switches;
        arguments += " " + switches;
    }
    Channel* channel = Channel::current();
    if (channel != nullptr) channel->record(call);
    else Channel::record_local(config, call);
    if (handler == nullptr) return E_POINTER;
    if (config.loader_result) {
        Channel::record_local(config, "fault: the loader returns " + hresult_text(*config.loader_result));
        return *config.loader_result;
    }
    if (channel == nullptr) {
        std::string error;
        channel = Channel::open(config, &error);
        if (channel == nullptr) {
            // As with no runtime installed.
            Channel::record_local(config, "no browser: " + error);
            return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        }
    }
    auto completion = Ref<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler>::share(handler);
    if (config.environment_result) {
        const HRESULT failure = *config.environment_result;
        channel->record("fault: environment creation completes with " + hresult_text(failure));
        channel->post([completion, failure] { completion->Invoke(failure, nullptr); });
        return S_OK;
    }
    std::string faults = "{";
    if (config.crash_renderer_after_ready_ms) {
        faults += "\"crashRendererAfterReadyMs\":" + std::to_string(*config.crash_renderer_after_ready_ms);
        if (config.crash_renderer_times) {
            faults += ",\"crashRendererTimes\":" + std::to_string(*config.crash_renderer_times);
        }
    }
    if (config.kill_browser_after_ready_ms) {
        if (faults.size() > 1) faults += ",";
        faults += "\"killBrowserAfterReadyMs\":" + std::to_string(*config.kill_browser_after_ready_ms);
    }
    if (config.isolated_network) {
        if (faults.size() > 1) faults += ",";
        faults += "\"isolatedNetwork\":true";
    }
    faults += "}";
    const auto asked = std::chrono::steady_clock::now();
    channel->send("\"op\":\"launch\",\"log\":" + quote(Channel::unix_path(config.log)) + ",\"arguments\":" +
                      quote(arguments) + ",\"userData\":" + quote(user_data) + ",\"faults\":" + faults,
                  [channel, completion, asked](const rapidjson::Value& reply) {
                      channel->timing.environment_ms +=
                          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - asked).count();
                      if (!(reply.HasMember("ok") && reply["ok"].GetBool())) {
                          channel->record("event environment creation failed");
                          completion->Invoke(E_FAIL, nullptr);
                          return;
                      }
                      auto environment = Ref<Environment>::adopt(new Environment(*channel));
                      channel->record("event environment created");
                      completion->Invoke(S_OK, environment.get());
                  });
    return S_OK;
}
