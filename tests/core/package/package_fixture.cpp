#include "package_fixture.h"

#include "core/codec/gzip.h"
#include "core/package/package_reader.h"
#include "core/package/package_writer.h"

namespace package_test {

core::Ed25519Seed test_seed() {
    core::Ed25519Seed seed{};
    for (std::size_t i = 0; i < seed.size(); ++i) seed[i] = static_cast<std::uint8_t>(0x40 + i);
    return seed;
}

core::Ed25519PublicKey test_key() { return core::ed25519_public_key(test_seed()).value(); }

core::Ed25519Seed other_seed() {
    core::Ed25519Seed seed = test_seed();
    seed[0] ^= 1;
    return seed;
}

core::Manifest sample_manifest() {
    return core::Manifest{.id = "aurora-drift", .name = "Aurora Drift", .version = 1, .entry = "index.html", .fps = 30};
}

core::AssetMap sample_assets() {
    core::AssetMap assets;
    assets["index.html"] = bytes_of("<!doctype html><script src=\"js/app.js\"></script>");
    assets["js/app.js"] = bytes_of("console.log('aurora');");
    assets["img/sky.webp"] = core::Bytes{0x52, 0x49, 0x46, 0x46, 0x00, 0xff, 0x10};
    return assets;
}

core::Bytes bytes_of(std::string_view text) { return core::Bytes(text.begin(), text.end()); }

core::Bytes signed_package(std::string_view header_json, std::string_view archive_text) {
    // The fastest level: the large limit cases compress 100 MiB and more.
    const auto payload = core::gzip_compress(bytes_of(archive_text), 1).value();
    return core::assemble_package(header_json, payload, test_seed()).value();
}

core::Bytes package_with_archive(std::string_view archive_text) {
    return signed_package(core::package_header_json(sample_manifest()), archive_text);
}

std::string header_result(const core::Bytes& file) {
    const auto parsed = core::read_package_header(file, test_key());
    return parsed ? "ok" : parsed.error().chain();
}

std::string open_result(const core::Bytes& file) {
    const auto parsed = core::read_package_header(file, test_key());
    if (!parsed) return parsed.error().chain();
    const auto opened = core::open_package(*parsed, file);
    return opened ? "ok" : opened.error().chain();
}

}  // namespace package_test
