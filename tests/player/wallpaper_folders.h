#pragma once

#include <map>
#include <string>

namespace test {

// A manifest.json text with the given id and defaults for the rest.
std::string manifest_text(const std::string& id, const std::string& entry = "index.html");

// Writes a wallpaper folder: manifest.json for id, an index.html and the extra files,
// whose names may contain "/" for sub-folders (created as needed).
void write_wallpaper(const std::string& folder, const std::string& id,
                     const std::map<std::string, std::string>& extra = {});

// Writes one file below folder, creating the sub-folders its "/"-separated name needs.
void write_tree_file(const std::string& folder, const std::string& relative, const std::string& bytes);

}  // namespace test
