#include "core/package/package_reader.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "core/codec/base64.h"
#include "core/codec/gzip.h"
#include "core/content/asset_path.h"
#include "core/crypto/ed25519.h"
#include "core/crypto/sha.h"
#include "core/json/json_record.h"
#include "core/package/archive_reader.h"

namespace core {
namespace {

std::uint32_t read_le32(const std::uint8_t* at) {
    return std::uint32_t{at[0]} | std::uint32_t{at[1]} << 8 | std::uint32_t{at[2]} << 16 | std::uint32_t{at[3]} << 24;
}

// Decodes every asset in path order under the per-asset and total limits.
Result<AssetMap> decode_assets(std::vector<ArchiveMember>& members) {
    AssetMap assets;
    std::size_t total = 0;
    for (ArchiveMember& member : members) {
        const std::string_view text = member.base64();
        if (text.size() > kMaxAssetBase64Bytes) return fail("asset too large");
        const auto size = base64_decoded_size(text);
        if (!size) return std::unexpected(size.error());
        Bytes bytes(*size);
        if (auto decoded = base64_decode_into(text, bytes); !decoded) return std::unexpected(decoded.error());
        if (bytes.size() > kMaxPackageAssetBytes) return fail("asset too large");
        total += bytes.size();
        if (total > kMaxPackageTotalAssetBytes) return fail("assets too large");
        // The members arrive sorted, so each insertion lands at the end.
        assets.emplace_hint(assets.end(), std::move(member.path), std::move(bytes));
        member.owned = std::string();  // an escaped copy is no longer needed
    }
    return assets;
}

}  // namespace

Result<ParsedPackage> read_package_header(std::span<const std::uint8_t> file,
                                          std::span<const std::uint8_t, 32> publisher_key) {
    if (file.size() < kMinPackageBytes || file.size() > kMaxPackageBytes) return fail("invalid package size");
    if (!std::equal(kPackageMagic.begin(), kPackageMagic.end(), file.begin())) return fail("unknown package format");
    const std::size_t signed_size = file.size() - kPackageSignatureBytes;
    const auto signature = file.subspan(signed_size).first<kPackageSignatureBytes>();
    if (auto verified = verify_ed25519(publisher_key, file.first(signed_size), signature); !verified) {
        return fail("package signature invalid; only publisher packages are accepted", verified.error());
    }
    return read_package_header_after_signature(file);
}

Result<ParsedPackage> read_package_header_after_signature(std::span<const std::uint8_t> file) {
    if (file.size() < kMinPackageBytes || file.size() > kMaxPackageBytes) return fail("invalid package size");
    const std::size_t header_size = read_le32(file.data() + kPackageLengthOffset);
    const std::size_t signed_size = file.size() - kPackageSignatureBytes;
    if (header_size > kMaxPackageHeaderBytes ||
        kPackageHeaderOffset + header_size + kMinPackagePayloadBytes > signed_size) {
        return fail("invalid header size");
    }

    ParsedPackage package;
    const JsonRecord manifest = manifest_record(package.manifest);  // referred to by header
    JsonRecord header;
    header.uint32("format", package.format).record("manifest", manifest);
    const std::string_view header_text(reinterpret_cast<const char*>(file.data() + kPackageHeaderOffset), header_size);
    if (auto read = read_json_record(header_text, header); !read) return std::unexpected(read.error());
    if (package.format != kPackageFormat) return fail("unsupported package version");
    if (auto valid = validate_manifest(package.manifest); !valid) return std::unexpected(valid.error());

    package.payload_offset = kPackageHeaderOffset + header_size;
    package.payload_size = signed_size - package.payload_offset;
    package.hash = sha256_hex(file);
    return package;
}

Result<OpenedPackage> open_package(const ParsedPackage& package, std::span<const std::uint8_t> file) {
    if (package.payload_offset > file.size() || package.payload_size > file.size() - package.payload_offset) {
        return fail("package payload outside the file");
    }
    auto text = gzip_decompress_text(file.subspan(package.payload_offset, package.payload_size),
                                     kMaxArchiveTextBytes + 1);
    if (!text) return std::unexpected(text.error());
    if (text->size() > kMaxArchiveTextBytes) return fail("decompressed package too large");

    auto members = read_archive(*text);
    if (!members) return std::unexpected(members.error());

    std::vector<std::string_view> paths;
    paths.reserve(members->size());
    for (const ArchiveMember& member : *members) paths.push_back(member.path);
    if (auto checked = check_asset_paths(paths); !checked) return std::unexpected(checked.error());

    auto assets = decode_assets(*members);
    if (!assets) return std::unexpected(assets.error());
    members->clear();
    text->clear();
    text->shrink_to_fit();
    if (assets->find(package.manifest.entry) == assets->end()) return fail("entry missing");
    return OpenedPackage{package.manifest, std::move(*assets)};
}

}  // namespace core
