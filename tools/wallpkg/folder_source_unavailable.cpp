// For a build without a directory reader: pack and lint say so.
#include "tools/wallpkg/folder_source.h"

namespace wallpkg {

core::FolderReport check_folder(std::string_view) {
    return core::FolderReport{.problems = {core::Error("folder reading is not available in this build")}};
}

}  // namespace wallpkg
