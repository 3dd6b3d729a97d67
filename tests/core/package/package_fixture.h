#pragma once

#include <string>
#include <string_view>

#include "core/bytes.h"
#include "core/content/asset_map.h"
#include "core/content/manifest.h"
#include "core/crypto/ed25519.h"

namespace package_test {

// A test publisher: a fixed seed, so failures reproduce.
core::Ed25519Seed test_seed();
core::Ed25519PublicKey test_key();
// Another publisher, whose packages the test key must refuse.
core::Ed25519Seed other_seed();

core::Manifest sample_manifest();
core::AssetMap sample_assets();

core::Bytes bytes_of(std::string_view text);

// Gzips archive text and signs it under header text with the test seed.
core::Bytes signed_package(std::string_view header_json, std::string_view archive_text);
// The sample manifest's header over the given archive text.
core::Bytes package_with_archive(std::string_view archive_text);

// read_package_header then open_package with the test key: "ok" or the error chain.
std::string open_result(const core::Bytes& file);
std::string header_result(const core::Bytes& file);

}  // namespace package_test
