#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/content/asset_map.h"
#include "core/content/manifest.h"
#include "core/package/package_hash.h"

namespace core {

// File layout: magic, little-endian header length H, H bytes of header JSON, the gzip
// payload, and an Ed25519 signature of everything before it.
inline constexpr std::string_view kPackageMagic = "WLPKG001";
inline constexpr std::size_t kPackageLengthOffset = 8;
inline constexpr std::size_t kPackageHeaderOffset = 12;
inline constexpr std::size_t kPackageSignatureBytes = 64;
inline constexpr std::uint32_t kPackageFormat = 1;

// The smallest package has an empty header and the smallest payload; the largest is what
// the player reads from disk.
inline constexpr std::size_t kMinPackagePayloadBytes = 16;
inline constexpr std::size_t kMinPackageBytes = kPackageHeaderOffset + kMinPackagePayloadBytes + kPackageSignatureBytes;
inline constexpr std::size_t kMaxPackageBytes = 64 * 1024 * 1024;
inline constexpr std::size_t kMaxPackageHeaderBytes = 8192;

// Limits of an opened package: everything is held in memory at once.
inline constexpr std::size_t kMaxArchiveTextBytes = 128 * 1024 * 1024;
inline constexpr std::size_t kMaxPackageAssets = 2048;
inline constexpr std::size_t kMaxAssetBase64Bytes = 32 * 1024 * 1024;
inline constexpr std::size_t kMaxPackageAssetBytes = 24 * 1024 * 1024;
inline constexpr std::size_t kMaxPackageTotalAssetBytes = 64 * 1024 * 1024;

// A package whose signature and header have been checked. It refers to the file's
// bytes, which the caller keeps alive until the package is opened.
struct ParsedPackage {
    std::uint32_t format = 0;
    Manifest manifest;
    std::size_t payload_offset = 0;
    std::size_t payload_size = 0;
    // SHA-256 of the whole file, 64 lowercase hexadecimal digits: names the stored copy.
    PackageHash hash;
};

// The result of opening: the caller owns both and wraps them into a WallpaperItem.
struct OpenedPackage {
    Manifest manifest;
    AssetMap assets;
};

}  // namespace core
