#pragma once

#include <filesystem>
#include <string>

#include "core/crypto/ed25519.h"
#include "core/error/error.h"

namespace wallpkg {

// Key files hold 64 lowercase hexadecimal digits and a line feed.
core::Result<core::Ed25519Seed> read_secret_file(const std::filesystem::path& path);
core::Status write_key_file(const std::filesystem::path& path, const std::string& hex, bool secret);

// A public key from the command line, checked in full (length, digits, a usable curve
// point) before any library sees it.
core::Result<core::Ed25519PublicKey> parse_public_key(std::string_view hex);

}  // namespace wallpkg
