#include "tools/common/posix_directory_reader.h"
#include "tools/wallpkg/folder_source.h"

namespace wallpkg {

core::FolderReport check_folder(std::string_view folder) { return tools::check_wallpaper_folder_posix(folder); }

}  // namespace wallpkg
