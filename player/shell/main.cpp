#include <windows.h>

#include <memory>
#include <string>

#include "player/library/paths.h"
#include "player/shell/entry.h"
#include "player/shell/exe_path.h"
#include "player/shell/process_arguments.h"
#include "player/shell/startup_failure.h"
#include "player/windows/webview2/webview2_layer.h"

// tessary-preview.exe is this file built with TESSARY_LOCAL_PREVIEW=1.
#ifndef TESSARY_LOCAL_PREVIEW
#define TESSARY_LOCAL_PREVIEW 0
#endif

namespace {

constexpr core::BuildFlags kBuildFlags{.local_preview = TESSARY_LOCAL_PREVIEW != 0};

// WebView2 through the loader DLL that ships beside the program.
std::unique_ptr<player::WebLayer> make_webview2_layer(const std::string& profile_folder) {
    const std::string program = player::executable_path().value_or(std::string());
    const std::string program_folder = player::parent_path(program).value_or(std::string());
    return std::make_unique<player::webview2::WebView2Layer>(profile_folder, program_folder);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    if (auto result = player::run_entry(player::process_arguments(), make_webview2_layer, kBuildFlags); !result) {
        player::report_startup_failure(result.error());
    }
    // A reported start-up failure is an orderly end too: the user has seen the message.
    return 0;
}
