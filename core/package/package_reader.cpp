#include "core/package/package_reader.h"

#include <algorithm>
#include <cstdint>
#include <functional>
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
#include "core/json/json_record.h"
#include "core/package/archive_reader.h"
#include "core/text/text_buffer.h"

namespace core {
namespace {

// Below this much base64 text a second decoding thread costs more than it saves.
constexpr std::size_t kParallelDecodeBytes = 4 * 1024 * 1024;

std::uint32_t read_le32(const std::uint8_t* at) {
    return std::uint32_t{at[0]} | std::uint32_t{at[1]} << 8 | std::uint32_t{at[2]} << 16 | std::uint32_t{at[3]} << 24;
}

// Steps 4 to 8 of reading a header, once the signature holds. The package hash is only
// started here, when everything before it has been accepted.
Result<ParsedPackage> read_verified_header(std::span<const std::uint8_t> file,
                                           PackageHash (*hash)(std::span<const std::uint8_t>)) {
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
    package.hash = hash(file);
    return package;
}

// One asset on its way from base64 text to bytes.
struct PendingAsset {
    std::string_view text;
    std::size_t size = 0;        // decoded size, known before decoding
    std::optional<Error> error;  // the decoder's, if any
    Bytes bytes;
};

void decode_one(PendingAsset& asset) {
    asset.bytes.resize(asset.size);
    if (auto decoded = base64_decode_into(asset.text, asset.bytes); !decoded) asset.error = decoded.error();
}

// Where an asset's text lies in the archive; copied (escaped) texts lie elsewhere and
// come first, since decoding them releases nothing.
std::size_t text_offset(const PendingAsset& asset, const TextBuffer& text) {
    if (!json_view_is_within(asset.text, text.view())) return SIZE_MAX;
    return static_cast<std::size_t>(asset.text.data() - text.data());
}

// Decodes the planned assets from the end of the archive text backwards, handing the
// text behind each step back to the system, so that the text and the decoded assets are
// never both held whole. Two assets are decoded at a time, on two threads when they are
// large enough to be worth it.
void decode_releasing_text(std::vector<PendingAsset>& pending, TextBuffer& text) {
    std::vector<std::size_t> order(pending.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return text_offset(pending[a], text) > text_offset(pending[b], text);
    });

    for (std::size_t k = 0; k < order.size(); k += 2) {
        PendingAsset& first = pending[order[k]];
        PendingAsset* second = k + 1 < order.size() ? &pending[order[k + 1]] : nullptr;
        if (second != nullptr && first.text.size() + second->text.size() >= kParallelDecodeBytes) {
            std::jthread helper;
            try {
                helper = std::jthread(decode_one, std::ref(*second));
            } catch (const std::system_error&) {
                decode_one(*second);  // no thread to be had: decode here
            }
            decode_one(first);
        } else {
            decode_one(first);
            if (second != nullptr) decode_one(*second);
        }

        // Everything from the lower of the two texts on has been decoded.
        const std::size_t cut = text_offset(second != nullptr ? *second : first, text);
        if (cut == SIZE_MAX) continue;
        const char* old_base = text.data();
        text.shrink_to(cut);
        if (text.data() == old_base) continue;
        for (std::size_t rest = k + 2; rest < order.size(); ++rest) {  // the block moved
            PendingAsset& later = pending[order[rest]];
            const std::size_t offset = static_cast<std::size_t>(later.text.data() - old_base);
            if (offset < cut) later.text = std::string_view(text.data() + offset, later.text.size());
        }
    }
}

// Decodes every asset in path order under the per-asset and total limits. The checks
// that need no decoding decide first how far decoding can go at all; the outcome is then
// judged member by member in path order, so the error reported is the one a plain
// sequential loop would meet first. The archive text is released while decoding.
Result<AssetMap> decode_assets(std::vector<ArchiveMember>& members, TextBuffer& text) {
    // What judging needs of each member, taken before any of the text is released.
    std::vector<std::size_t> text_sizes;
    std::vector<Result<std::size_t>> decoded_sizes;
    text_sizes.reserve(members.size());
    decoded_sizes.reserve(members.size());
    for (const ArchiveMember& member : members) {
        text_sizes.push_back(member.base64().size());
        decoded_sizes.push_back(base64_decoded_size(member.base64()));
    }

    std::vector<PendingAsset> pending;
    pending.reserve(members.size());
    std::size_t total = 0;
    for (std::size_t i = 0; i < members.size(); ++i) {
        if (text_sizes[i] > kMaxAssetBase64Bytes) break;  // reported below, after earlier members
        if (!decoded_sizes[i]) break;
        PendingAsset& asset = pending.emplace_back();
        asset.text = members[i].base64();
        asset.size = *decoded_sizes[i];
        total += asset.size;
        if (total > kMaxPackageTotalAssetBytes) break;  // this one is decoded: its own error comes first
    }

    decode_releasing_text(pending, text);

    AssetMap assets;
    total = 0;
    for (std::size_t i = 0; i < members.size(); ++i) {
        if (text_sizes[i] > kMaxAssetBase64Bytes) return fail("asset too large");
        if (!decoded_sizes[i]) return std::unexpected(decoded_sizes[i].error());
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
    // The signature's hash pass comes first and alone: a tampered package costs that
    // pass and nothing more.
    if (auto verified = verify_ed25519(publisher_key, file.first(signed_size), signature); !verified) {
        return fail("package signature invalid; only publisher packages are accepted", verified.error());
    }
    return read_verified_header(file, PackageHash::start);
}

Result<ParsedPackage> read_package_header_after_signature(std::span<const std::uint8_t> file) {
    if (file.size() < kMinPackageBytes || file.size() > kMaxPackageBytes) return fail("invalid package size");
    return read_verified_header(file, PackageHash::on_demand);
}

Result<OpenedPackage> open_package(const ParsedPackage& package, std::span<const std::uint8_t> file) {
    // The package hash reads the file on a helper thread meanwhile; it is complete when
    // this returns, on every path, so the file need only outlive the open.
    struct HashJoin {
        const PackageHash& hash;
        ~HashJoin() { (void)hash.value(); }
    } join{package.hash};
    if (package.payload_offset > file.size() || package.payload_size > file.size() - package.payload_offset) {
        return fail("package payload outside the file");
    }
    auto text = gzip_decompress_text(file.subspan(package.payload_offset, package.payload_size),
                                     kMaxArchiveTextBytes + 1);
    if (!text) return std::unexpected(text.error());
    if (text->size() > kMaxArchiveTextBytes) return fail("decompressed package too large");

    auto members = read_archive(text->view());
    if (!members) return std::unexpected(members.error());

    std::vector<std::string_view> paths;
    paths.reserve(members->size());
    for (const ArchiveMember& member : *members) paths.push_back(member.path);
    if (auto checked = check_asset_paths(paths); !checked) return std::unexpected(checked.error());

    auto assets = decode_assets(*members, *text);
    if (!assets) return std::unexpected(assets.error());
    if (assets->find(package.manifest.entry) == assets->end()) return fail("entry missing");
    return OpenedPackage{package.manifest, std::move(*assets)};
}

}  // namespace core
