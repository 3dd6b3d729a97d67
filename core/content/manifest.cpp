#include "core/content/manifest.h"

#include "core/content/asset_path.h"
#include "core/content/frame_rate.h"

namespace core {
namespace {

constexpr std::string_view kEntrySuffix = ".html";

}  // namespace

JsonRecord manifest_record(Manifest& out) {
    JsonRecord record;
    record.string("id", out.id)
        .string("name", out.name)
        .uint32("version", out.version)
        .string("entry", out.entry)
        .uint32("fps", out.fps);
    return record;
}

Result<Manifest> parse_manifest(std::string_view json) {
    Manifest manifest;
    const Status read = read_json_record(json, manifest_record(manifest));
    if (!read) return std::unexpected(read.error());
    return manifest;
}

Status validate_manifest(const Manifest& manifest) {
    if (!is_valid_product_id(manifest.id)) return fail("invalid product ID");
    if (manifest.name.empty() || manifest.name.size() > kMaxManifestNameBytes) {
        return fail("invalid name");
    }
    if (manifest.version != kManifestVersion) return fail("unsupported manifest version");
    if (!is_supported_fps(manifest.fps)) return fail(std::string(kUnsupportedFpsMessage));
    const Status entry = validate_asset_path(manifest.entry);
    if (!entry) return entry;
    // Only the exact lower-case ending: the host opens the entry as an HTML page.
    if (!manifest.entry.ends_with(kEntrySuffix)) return fail("entry must be HTML");
    return {};
}

void write_manifest(JsonWriter& writer, const Manifest& manifest) {
    writer.begin_object()
        .key("id").string(manifest.id)
        .key("name").string(manifest.name)
        .key("version").uint(manifest.version)
        .key("entry").string(manifest.entry)
        .key("fps").uint(manifest.fps)
        .end_object();
}

std::string manifest_json(const Manifest& manifest, JsonStyle style) {
    JsonWriter writer(style);
    write_manifest(writer, manifest);
    return writer.text();
}

}  // namespace core
