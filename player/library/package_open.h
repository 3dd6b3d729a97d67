#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/content/wallpaper_item.h"
#include "core/error/error.h"
#include "core/startup/instance.h"

namespace player {

// A package verified, unpacked and remembered: play wallpaper, and remember reopen_path
// (the stored copy, or the opened file when no copy can be trusted or made).
struct OpenedPackageFile {
    std::string reopen_path;
    core::SharedWallpaper wallpaper;
};

// Reads the package file (at most 64 MiB), verifies it with the publisher key, unpacks
// it and keeps a copy in D\packages. Changes nothing but the package store; the caller
// updates its settings and plays the wallpaper.
core::Result<OpenedPackageFile> open_package_file(std::string_view data_folder, std::string_view path,
                                                  const core::PublisherKey& publisher_key);

// Stores the verified package bytes as <packages>\<hash>.wallpkg unless the store is full,
// and returns the path to reopen it from: the stored copy when it exists (or was made)
// with the right size and hash, otherwise the opened file's final path. A copy that cannot
// be written whole is removed again.
core::Result<std::string> store_package_copy(std::string_view packages_folder, std::string_view package_hash,
                                             std::span<const std::uint8_t> package, std::string_view opened_path);

}  // namespace player
