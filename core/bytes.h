#pragma once

#include <cstdint>
#include <vector>

namespace core {

// A file's or an asset's contents.
using Bytes = std::vector<std::uint8_t>;

}  // namespace core
