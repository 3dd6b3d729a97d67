#include "core/startup/instance.h"

#include <algorithm>

#include "core/crypto/ed25519.h"
#include "core/text/hex.h"

namespace core {

Result<PublisherKey> parse_publisher_key(std::string_view hex) {
    if (hex.size() != 64) return fail("publisher key must be 64 hexadecimal digits");
    auto bytes = hex_decode(hex);
    if (!bytes) return fail("invalid publisher key", bytes.error());
    PublisherKey key;
    std::copy(bytes->begin(), bytes->end(), key.bytes.begin());
    // Refused here, once, so that no malformed key ever reaches libgcrypt.
    if (auto valid = check_ed25519_public_key(key.bytes); !valid) return fail("invalid publisher key", valid.error());
    return key;
}

std::string instance_name(const PublisherKey& key) {
    return "Tessary-" + hex_encode(key.bytes).substr(0, 12);
}

std::string preview_instance_name(const PublisherKey& key) { return instance_name(key) + "-preview"; }

std::string startup_log_message(const BuildFlags& flags, std::string_view data_folder) {
    const auto flag = [](bool value) { return value ? "true" : "false"; };
    std::string line = "startup version=";
    line += kPlayerVersion;
    line += " local_preview=";
    line += flag(flags.local_preview);
    line += " offline_share=";
    line += flag(flags.offline_share);
    line += " data=";
    line += data_folder;
    return line;
}

}  // namespace core
