#pragma once

#include <cstdint>
#include <future>
#include <span>
#include <string>

namespace core {

// The package hash: SHA-256 of the whole file as 64 lowercase hexadecimal digits. It is
// only needed once the package has been opened (it names the stored copy), so it is
// computed on a helper thread while the caller inflates and decodes, and only after the
// signature and header have been accepted: a refused package never pays for it.
// open_package waits for it before it returns; until then the file's bytes must live.
class PackageHash {
public:
    PackageHash() = default;

    // Starts hashing; runs on first use instead when no thread can be started.
    static PackageHash start(std::span<const std::uint8_t> file);
    // Hashes on first use, on the thread that asks.
    static PackageHash on_demand(std::span<const std::uint8_t> file);

    // Waits for the helper. Empty for a default-constructed hash.
    const std::string& value() const;

private:
    std::shared_future<std::string> digest_;
};

}  // namespace core
