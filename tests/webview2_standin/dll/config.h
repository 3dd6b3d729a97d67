#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace standin {

// What a test asks of the stand-in, read from "webview2-standin.ini" beside the DLL: one
// "key=value" a line. The program never reads it.
//   relay=PORT                          the relay's loopback TCP port
//   log=PATH                            where calls and what the page saw are recorded
//   loader_result=0x...                 CreateCoreWebView2EnvironmentWithOptions returns it
//   environment_result=0x...            the environment completes with it
//   controller_result=0x...             every controller completes with it
//   controller_result_after=N           ... but only after N controllers succeeded
//   callback_delay_ms=N                 every callback arrives N ms later
//   crash_renderer_after_ready_ms=N     the renderer crashes N ms after each "ready"
//   crash_renderer_times=N              ... but only after the first N of them
//   response_limit_bytes=N              CreateWebResourceResponse fails with E_OUTOFMEMORY
//                                       for content longer than N bytes
//   kill_browser_after_ready_ms=N       the browser is killed N ms after the first "ready"
//   paint=on                            the view's window shows the page and takes the mouse
//   skip_script_containing=TEXT         a document-creation script with TEXT in it is
//                                       accepted but never run (a benchmark's baseline)
//   resume_result=0x...                 Resume fails with it (showing the view still thaws it)
//   network=isolated                    the browser runs without the relay's own network
//                                       switches, in a network namespace of its own that
//                                       has only a loopback
struct Config {
    int relay_port = 0;
    std::wstring log;
    std::optional<HRESULT> loader_result;
    std::optional<HRESULT> environment_result;
    std::optional<HRESULT> controller_result;
    int controller_result_after = 0;
    int callback_delay_ms = 0;
    std::optional<int> crash_renderer_after_ready_ms;
    std::optional<int> crash_renderer_times;
    std::optional<long long> response_limit_bytes;
    std::optional<int> kill_browser_after_ready_ms;
    bool paint = false;
    std::string skip_script_containing;
    std::optional<HRESULT> resume_result;
    bool isolated_network = false;

    static Config read_beside(HMODULE module);
};

}  // namespace standin
