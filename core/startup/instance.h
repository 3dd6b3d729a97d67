#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/error/error.h"
#include "tessary_version.h"

namespace core {

inline constexpr std::string_view kPlayerVersion = kTessaryVersion;

// The Ed25519 public key that verifies packages; its first bytes also name the instance.
struct PublisherKey {
    std::array<std::uint8_t, 32> bytes{};
};

// 64 hexadecimal digits of a compressed Ed25519 point.
Result<PublisherKey> parse_publisher_key(std::string_view hex);

// "Tessary-" and the first 12 lowercase hex digits of the key: the data folder's name,
// the controller window's title and the mutex suffix, so each publisher's player is
// kept apart.
std::string instance_name(const PublisherKey& key);

// The author-preview build's own name: its data folder, lock and controller window never
// meet those of the player that users run, so authoring cannot touch their library.
std::string preview_instance_name(const PublisherKey& key);

// Build flags reported at start. The specified build plays neither author folders nor
// shared links; the author-preview build (tessary-preview.exe) plays author folders.
struct BuildFlags {
    bool local_preview = false;
    bool offline_share = false;
};

std::string startup_log_message(const BuildFlags& flags, std::string_view data_folder);

}  // namespace core
