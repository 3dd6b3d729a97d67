#include "core/package/package_reader.h"

#include <algorithm>
#include <future>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
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

// Below this much base64 text a second decoding thread costs more than it saves.
constexpr std::size_t kParallelDecodeBytes = 4 * 1024 * 1024;

std::uint32_t read_le32(const std::uint8_t* at) {
    return std::uint32_t{at[0]} | std::uint32_t{at[1]} << 8 | std::uint32_t{at[2]} << 16 | std::uint32_t{at[3]} << 24;
}

// Steps 4 to 8 of reading a header, once the signature holds; hash delivers the package
// hash, computed alongside.
Result<ParsedPackage> read_verified_header(std::span<const std::uint8_t> file, std::future<std::string>& hash) {
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
    package.hash = hash.get();
    return package;
}

// One asset on its way from base64 text to bytes.
struct PendingAsset {
    std::string_view text;
    std::optional<Error> error;  // the decoder's, if any
    Bytes bytes;
};

void decode_range(std::span<PendingAsset> assets) {
    for (PendingAsset& asset : assets) {
        if (auto decoded = base64_decode_into(asset.text, asset.bytes); !decoded) asset.error = decoded.error();
    }
}

// Decodes every asset in path order under the per-asset and total limits. The checks
// that need no decoding decide first how far decoding can go at all; the decoding itself
// may then run on two threads, and the outcome is judged member by member in path order,
// so the error reported is the one a plain sequential loop would meet first.
Result<AssetMap> decode_assets(std::vector<ArchiveMember>& members) {
    std::vector<PendingAsset> pending;
    pending.reserve(members.size());
    std::size_t total = 0;
    std::size_t text_bytes = 0;
    for (const ArchiveMember& member : members) {
        const std::string_view text = member.base64();
        if (text.size() > kMaxAssetBase64Bytes) break;  // reported below, after earlier members
        const auto size = base64_decoded_size(text);
        if (!size) break;
        PendingAsset& asset = pending.emplace_back();
        asset.text = text;
        asset.bytes.resize(*size);
        text_bytes += text.size();
        total += *size;
        if (total > kMaxPackageTotalAssetBytes) break;  // this one is decoded: its own error comes first
    }

    if (text_bytes >= kParallelDecodeBytes && pending.size() > 1) {
        // Split at half of the text so that both threads get about the same work.
        std::size_t split = 0;
        for (std::size_t seen = 0; split < pending.size() && seen < text_bytes / 2; ++split) {
            seen += pending[split].text.size();
        }
        std::jthread helper;
        try {
            helper = std::jthread(decode_range, std::span(pending).subspan(split));
        } catch (const std::system_error&) {
            decode_range(std::span(pending).subspan(split));  // no thread to be had: decode here
        }
        decode_range(std::span(pending).first(split));
    } else {
        decode_range(pending);
    }

    AssetMap assets;
    total = 0;
    for (std::size_t i = 0; i < members.size(); ++i) {
        const std::string_view text = members[i].base64();
        if (text.size() > kMaxAssetBase64Bytes) return fail("asset too large");
        if (auto size = base64_decoded_size(text); !size) return std::unexpected(size.error());
        PendingAsset& asset = pending[i];  // exists: planning stopped no earlier than here
        if (asset.error) return std::unexpected(*asset.error);
        if (asset.bytes.size() > kMaxPackageAssetBytes) return fail("asset too large");
        total += asset.bytes.size();
        if (total > kMaxPackageTotalAssetBytes) return fail("assets too large");
        // The members arrive sorted, so each insertion lands at the end.
        assets.emplace_hint(assets.end(), std::move(members[i].path), std::move(asset.bytes));
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
    // The package hash is needed only once the signature holds, but the two passes are
    // independent: on a second core the hash costs no time. The future joins on every path;
    // when no thread can be started, the hash runs deferred on this one.
    std::future<std::string> hash =
        std::async(std::launch::async | std::launch::deferred, [file] { return sha256_hex(file); });
    if (auto verified = verify_ed25519(publisher_key, file.first(signed_size), signature); !verified) {
        return fail("package signature invalid; only publisher packages are accepted", verified.error());
    }
    return read_verified_header(file, hash);
}

Result<ParsedPackage> read_package_header_after_signature(std::span<const std::uint8_t> file) {
    if (file.size() < kMinPackageBytes || file.size() > kMaxPackageBytes) return fail("invalid package size");
    std::promise<std::string> hash;
    hash.set_value(sha256_hex(file));
    std::future<std::string> ready = hash.get_future();
    return read_verified_header(file, ready);
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
    if (assets->find(package.manifest.entry) == assets->end()) return fail("entry missing");
    return OpenedPackage{package.manifest, std::move(*assets)};
}

}  // namespace core
