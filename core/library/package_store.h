#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace core {

// A new copy is refused when this many are stored already.
inline constexpr std::size_t kMaxStoredPackages = 8;
// All stored copies plus the new one stay within this many bytes.
inline constexpr std::uint64_t kMaxStoredPackageBytes = 536'870'912;
inline constexpr std::string_view kStoredPackageExtension = ".wallpkg";

// The stored copy of a package: its hash (64 lowercase hexadecimal digits) + ".wallpkg".
std::string stored_package_name(std::string_view package_hash);

// Whether a file in the packages folder counts as a stored copy: exactly the form above.
bool is_stored_package_name(std::string_view name);

// Whether a copy of new_size bytes may join count copies of total bytes; sums saturate.
bool package_store_has_room(std::size_t count, std::uint64_t total, std::uint64_t new_size);

std::uint64_t saturating_add(std::uint64_t a, std::uint64_t b);

}  // namespace core
