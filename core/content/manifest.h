#pragma once

#include <cstdint>
#include <string>

#include "core/content/wallpaper_id.h"

namespace core {

// A wallpaper's manifest, members in the order they are written.
struct Manifest {
    WallpaperId id;
    std::string name;
    std::uint32_t version = 0;
    std::string entry;
    std::uint32_t fps = 0;

    bool operator==(const Manifest&) const = default;
};

}  // namespace core
