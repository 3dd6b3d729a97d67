#include "core/content/asset_path.h"

#include "core/text/case_mapping.h"

namespace core {

Status AssetPathRegistry::add(std::string_view path) {
    const Status valid = validate_asset_path(path);
    if (!valid) return valid;
    // Every folder on the way is registered before the file itself, left to right.
    for (std::size_t slash = path.find('/'); slash != std::string_view::npos; slash = path.find('/', slash + 1)) {
        const Status folder = register_prefix(path.substr(0, slash), true);
        if (!folder) return folder;
    }
    return register_prefix(path, false);
}

Status AssetPathRegistry::register_prefix(std::string_view text, bool folder) {
    const auto [it, inserted] = by_key_.try_emplace(case_collision_key(text), Registered{std::string(text), folder});
    if (inserted) return {};
    const Registered& registered = it->second;
    if (registered.text != text) {
        return fail("Windows asset path collision: " + registered.text + " and " + std::string(text));
    }
    if (registered.folder && folder) return {};  // another file in the same folder
    return fail("duplicate asset or file/directory collision: " + std::string(text));
}

Status check_asset_paths(std::span<const std::string_view> paths, std::span<const std::string_view> occupied) {
    AssetPathRegistry registry;
    for (const std::string_view path : paths) {
        const Status added = registry.add(path);
        if (!added) return added;
    }
    for (const std::string_view path : occupied) {
        const Status added = registry.add(path);
        if (!added) return added;
    }
    return {};
}

}  // namespace core
