#include "wallpaper_folders.h"

#include "player/library/paths.h"
#include "test_folder.h"

namespace test {

std::string manifest_text(const std::string& id, const std::string& entry) {
    return "{\"id\": \"" + id + "\", \"name\": \"Wallpaper " + id + "\", \"version\": 1, \"entry\": \"" + entry +
           "\", \"fps\": 30}";
}

void write_tree_file(const std::string& folder, const std::string& relative, const std::string& bytes) {
    std::string path = folder;
    std::size_t start = 0;
    while (true) {
        const std::size_t slash = relative.find('/', start);
        if (slash == std::string::npos) break;
        path = player::join_path(path, relative.substr(start, slash - start));
        make_folder(path);
        start = slash + 1;
    }
    write_file(player::join_path(path, relative.substr(start)), bytes);
}

void write_wallpaper(const std::string& folder, const std::string& id,
                     const std::map<std::string, std::string>& extra) {
    make_folder(folder);
    write_file(player::join_path(folder, "manifest.json"), manifest_text(id));
    write_file(player::join_path(folder, "index.html"), "<!doctype html><p>" + id);
    for (const auto& [relative, bytes] : extra) write_tree_file(folder, relative, bytes);
}

}  // namespace test
