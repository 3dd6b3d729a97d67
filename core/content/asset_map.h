#pragma once

#include <map>
#include <string>

#include "core/bytes.h"

namespace core {

// Asset path to the asset's bytes, ordered by the byte order of the path. Lookups are
// exact and case-sensitive. Built once after the paths passed the collision checks and
// never changed afterwards.
using AssetMap = std::map<std::string, Bytes, std::less<>>;

}  // namespace core
