#include <windows.h>

#include <memory>
#include <string>

#include "player/shell/entry.h"
#include "player/shell/process_arguments.h"
#include "player/shell/startup_failure.h"
#include "player/shell/webview2_beside_program.h"

// tessary-preview.exe is this file built with TESSARY_LOCAL_PREVIEW=1.
#ifndef TESSARY_LOCAL_PREVIEW
#define TESSARY_LOCAL_PREVIEW 0
#endif

namespace {

constexpr core::BuildFlags kBuildFlags{.local_preview = TESSARY_LOCAL_PREVIEW != 0};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    if (auto result = player::run_entry(player::process_arguments(), player::make_webview2_layer, kBuildFlags);
        !result) {
        player::report_startup_failure(result.error());
    }
    // A reported start-up failure is an orderly end too: the user has seen the message.
    return 0;
}
