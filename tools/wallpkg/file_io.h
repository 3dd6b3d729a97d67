#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

#include "core/bytes.h"
#include "core/error/error.h"

namespace wallpkg {

// The whole file, refusing one above limit with "file too large".
core::Result<core::Bytes> read_file(const std::filesystem::path& path, std::uint64_t limit);

// Writes through a temporary name and renames, so a failed write leaves no half file.
core::Status write_file(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

// A path from UTF-8 text (command-line arguments are UTF-8 on every platform here).
std::filesystem::path path_from_utf8(std::string_view text);

}  // namespace wallpkg
