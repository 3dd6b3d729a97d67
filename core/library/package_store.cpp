#include "core/library/package_store.h"

#include <limits>

namespace core {
namespace {

constexpr std::size_t kHashDigits = 64;

}  // namespace

std::string stored_package_name(std::string_view package_hash) {
    return std::string(package_hash) + std::string(kStoredPackageExtension);
}

bool is_stored_package_name(std::string_view name) {
    if (name.size() != kHashDigits + kStoredPackageExtension.size()) return false;
    if (!name.ends_with(kStoredPackageExtension)) return false;
    for (const char c : name.substr(0, kHashDigits)) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    return true;
}

bool package_store_has_room(std::size_t count, std::uint64_t total, std::uint64_t new_size) {
    return count < kMaxStoredPackages && saturating_add(total, new_size) <= kMaxStoredPackageBytes;
}

std::uint64_t saturating_add(std::uint64_t a, std::uint64_t b) {
    const std::uint64_t most = std::numeric_limits<std::uint64_t>::max();
    return a > most - b ? most : a + b;
}

}  // namespace core
