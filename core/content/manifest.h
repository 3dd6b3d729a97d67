#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/content/wallpaper_id.h"
#include "core/error/error.h"
#include "core/json/json_record.h"
#include "core/json/json_writer.h"

namespace core {

// A wallpaper's manifest, members in the order they are written.
struct Manifest {
    WallpaperId id;
    std::string name;
    std::uint32_t version = 0;
    std::string entry;
    std::uint32_t fps = 0;

    bool operator==(const Manifest&) const = default;
};

inline constexpr std::size_t kMaxManifestNameBytes = 200;
inline constexpr std::uint32_t kManifestVersion = 1;
// The largest "manifest.json" a wallpaper folder may hold.
inline constexpr std::uint64_t kMaxManifestFileBytes = 8192;

// The strict record of a manifest, bound to out: the five members id, name, version,
// entry and fps, all required. A package header nests it as one of its members.
JsonRecord manifest_record(Manifest& out);

// Reads JSON text as a manifest by the strict record rules; nothing is validated.
Result<Manifest> parse_manifest(std::string_view json);

// The manifest's own rules, in their fixed order; the first failure is returned.
Status validate_manifest(const Manifest& manifest);

// Writes the manifest as a JSON object, members in record order.
void write_manifest(JsonWriter& writer, const Manifest& manifest);
std::string manifest_json(const Manifest& manifest, JsonStyle style);

}  // namespace core
