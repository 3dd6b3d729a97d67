#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/error/error.h"

namespace wallpkg {

struct TemplateFile {
    std::string path;
    std::string text;
};

// The files of a minimal wallpaper named id: manifest, entry page, style sheet and a
// script that defers readiness to its first frame, follows the state and answers clicks.
// Fails when id cannot be a library wallpaper's id, with the manifest's or the library's
// message.
core::Result<std::vector<TemplateFile>> new_wallpaper_files(std::string_view id);

}  // namespace wallpkg
