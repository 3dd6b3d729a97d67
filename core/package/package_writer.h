#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/bytes.h"
#include "core/content/asset_map.h"
#include "core/content/manifest.h"
#include "core/crypto/ed25519.h"
#include "core/error/error.h"

namespace core {

// The header record: {"format":1,"manifest":{...}}, compact.
std::string package_header_json(const Manifest& manifest);

// The archive record: {"files":{path: base64, ...}} in path order, compact.
std::string archive_json(const AssetMap& assets);

// Magic, header length, header, payload and the signature of all of it by seed. Takes
// the pieces as they are, so tests can sign malformed headers and payloads too.
Result<Bytes> assemble_package(std::string_view header_json, std::span<const std::uint8_t> payload,
                               const Ed25519Seed& seed);

// A complete signed package of a wallpaper. Checks nothing about the wallpaper: the
// publisher tool runs the player's folder rules before it calls this.
Result<Bytes> write_package(const Manifest& manifest, const AssetMap& assets, const Ed25519Seed& seed);

}  // namespace core
