#include "core/package/package_writer.h"

#include <limits>

#include "core/codec/base64.h"
#include "core/codec/gzip.h"
#include "core/json/json_writer.h"
#include "core/package/package_format.h"

namespace core {

std::string package_header_json(const Manifest& manifest) {
    JsonWriter writer(JsonStyle::compact);
    writer.begin_object().key("format").uint(kPackageFormat).key("manifest");
    write_manifest(writer, manifest);
    writer.end_object();
    return writer.text();
}

std::string archive_json(const AssetMap& assets) {
    std::size_t size = 16;
    for (const auto& [path, bytes] : assets) size += path.size() * 6 + 8 + (bytes.size() + 2) / 3 * 4;
    std::string text;
    text.reserve(size);
    text += "{\"files\":{";
    bool first = true;
    for (const auto& [path, bytes] : assets) {
        if (!first) text += ',';
        first = false;
        text += json_quote(path);
        text += ":\"";
        text += base64_encode(bytes);  // the base64 alphabet needs no escaping
        text += '"';
    }
    text += "}}";
    return text;
}

Result<Bytes> assemble_package(std::string_view header_json, std::span<const std::uint8_t> payload,
                               const Ed25519Seed& seed) {
    if (header_json.size() > std::numeric_limits<std::uint32_t>::max()) return fail("package header too large");
    const auto length = static_cast<std::uint32_t>(header_json.size());
    Bytes file;
    file.reserve(kPackageHeaderOffset + header_json.size() + payload.size() + kPackageSignatureBytes);
    file.insert(file.end(), kPackageMagic.begin(), kPackageMagic.end());
    for (int shift = 0; shift < 32; shift += 8) file.push_back(static_cast<std::uint8_t>(length >> shift));
    file.insert(file.end(), header_json.begin(), header_json.end());
    file.insert(file.end(), payload.begin(), payload.end());
    const auto signature = ed25519_sign(seed, file);
    if (!signature) return std::unexpected(signature.error());
    file.insert(file.end(), signature->begin(), signature->end());
    return file;
}

Result<Bytes> write_package(const Manifest& manifest, const AssetMap& assets, const Ed25519Seed& seed) {
    const std::string archive = archive_json(assets);
    const auto payload = gzip_compress({reinterpret_cast<const std::uint8_t*>(archive.data()), archive.size()});
    if (!payload) return std::unexpected(payload.error());
    return assemble_package(package_header_json(manifest), *payload, seed);
}

}  // namespace core
