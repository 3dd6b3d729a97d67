// validate_asset_path and check_asset_paths on arbitrary paths: the input is split at
// line feeds into paths, which are sorted as callers sort them. Checks that the two
// agree and that accepted paths really are distinct under the collision key.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/content/asset_path.h"
#include "core/text/case_mapping.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> paths;
    bool all_valid = true;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view path = text.substr(start, end - start);
        paths.push_back(path);
        if (!core::validate_asset_path(path)) all_valid = false;
        start = end + 1;
    }
    std::sort(paths.begin(), paths.end());
    const std::string_view occupied[] = {"manifest.json"};
    const core::Status checked = core::check_asset_paths(paths, occupied);
    if (checked && !all_valid) __builtin_trap();
    if (checked) {
        std::set<std::string> keys;
        for (const std::string_view path : paths) {
            if (!keys.insert(core::case_collision_key(path)).second) __builtin_trap();
        }
        if (keys.contains(core::case_collision_key("manifest.json"))) __builtin_trap();
    }
    return 0;
}
