#include "config.h"

#include <cstdlib>
#include <cstdio>
#include <string>

namespace standin {
namespace {

HRESULT parse_hresult(const std::string& text) {
    return static_cast<HRESULT>(std::strtoul(text.c_str(), nullptr, 0));
}

}  // namespace

Config Config::read_beside(HMODULE module) {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(module, path, MAX_PATH);
    std::wstring file(path);
    file = file.substr(0, file.find_last_of(L"\\/") + 1) + L"webview2-standin.ini";

    Config config;
    FILE* in = ::_wfopen(file.c_str(), L"rb");
    char buffer[4096];
    while (in != nullptr && std::fgets(buffer, sizeof buffer, in) != nullptr) {
        std::string line(buffer);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        const auto equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = line.substr(0, equals);
        const std::string value = line.substr(equals + 1);
        if (key == "relay") config.relay_port = std::atoi(value.c_str());
        else if (key == "log") config.log.assign(value.begin(), value.end());
        else if (key == "loader_result") config.loader_result = parse_hresult(value);
        else if (key == "environment_result") config.environment_result = parse_hresult(value);
        else if (key == "controller_result") config.controller_result = parse_hresult(value);
        else if (key == "controller_result_after") config.controller_result_after = std::atoi(value.c_str());
        else if (key == "callback_delay_ms") config.callback_delay_ms = std::atoi(value.c_str());
        else if (key == "crash_renderer_after_ready_ms") config.crash_renderer_after_ready_ms = std::atoi(value.c_str());
        else if (key == "crash_renderer_times") config.crash_renderer_times = std::atoi(value.c_str());
        else if (key == "response_limit_bytes") config.response_limit_bytes = std::atoll(value.c_str());
        else if (key == "kill_browser_after_ready_ms") config.kill_browser_after_ready_ms = std::atoi(value.c_str());
        else if (key == "paint") config.paint = value == "on";
        else if (key == "skip_script_containing") config.skip_script_containing = value;
        else if (key == "resume_result") config.resume_result = parse_hresult(value);
        else if (key == "network") config.isolated_network = value == "isolated";
    }
    if (in != nullptr) std::fclose(in);
    return config;
}

}  // namespace standin
