#include "core/package/package_hash.h"

#include "core/crypto/sha.h"

namespace core {

PackageHash PackageHash::start(std::span<const std::uint8_t> file) {
    PackageHash hash;
    hash.digest_ = std::async(std::launch::async | std::launch::deferred, [file] { return sha256_hex(file); }).share();
    return hash;
}

PackageHash PackageHash::on_demand(std::span<const std::uint8_t> file) {
    PackageHash hash;
    hash.digest_ = std::async(std::launch::deferred, [file] { return sha256_hex(file); }).share();
    return hash;
}

const std::string& PackageHash::value() const {
    static const std::string none;
    return digest_.valid() ? digest_.get() : none;
}

}  // namespace core
