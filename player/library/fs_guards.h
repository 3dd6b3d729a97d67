#pragma once

#include <cstdint>
#include <string_view>

#include "core/bytes.h"
#include "core/error/error.h"

namespace player {

// Checks that a folder and every folder above it are plain directories: no symbolic
// link, junction or other reparse point anywhere on the way. Only reports.
core::Status check_plain_directory_chain(std::string_view path);

// Reads a whole file, refusing one above the limit, even one that grows while read.
core::Result<core::Bytes> read_file_limited(std::string_view path, std::uint64_t limit);

}  // namespace player
