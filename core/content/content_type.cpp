#include "core/content/content_type.h"

#include <array>
#include <string>
#include <utility>

namespace core {
namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 29> kContentTypes = {{
    {"html", "text/html; charset=utf-8"},
    {"js", "text/javascript; charset=utf-8"},
    {"mjs", "text/javascript; charset=utf-8"},
    {"css", "text/css; charset=utf-8"},
    {"json", "application/json"},
    {"wasm", "application/wasm"},
    {"png", "image/png"},
    {"jpg", "image/jpeg"},
    {"jpeg", "image/jpeg"},
    {"webp", "image/webp"},
    {"gif", "image/gif"},
    {"avif", "image/avif"},
    {"bmp", "image/bmp"},
    {"ico", "image/vnd.microsoft.icon"},
    {"svg", "image/svg+xml"},
    {"woff", "font/woff"},
    {"woff2", "font/woff2"},
    {"ttf", "font/ttf"},
    {"otf", "font/otf"},
    {"mp4", "video/mp4"},
    {"webm", "video/webm"},
    {"ogv", "video/ogg"},
    {"mp3", "audio/mpeg"},
    {"m4a", "audio/mp4"},
    {"aac", "audio/aac"},
    {"flac", "audio/flac"},
    {"ogg", "audio/ogg"},
    {"wav", "audio/wav"},
    {"gltf", "model/gltf+json"},
}};
constexpr std::string_view kBinaryGltf = "model/gltf-binary";
constexpr std::string_view kUnknown = "application/octet-stream";

}  // namespace

std::string_view content_type_for_path(std::string_view path) {
    const std::size_t dot = path.rfind('.');
    const std::string_view raw = dot == std::string_view::npos ? path : path.substr(dot + 1);
    // No table extension is longer than five letters.
    if (raw.empty() || raw.size() > 5) return kUnknown;
    std::string extension(raw);
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    if (extension == "glb") return kBinaryGltf;
    for (const auto& [known, type] : kContentTypes) {
        if (known == extension) return type;
    }
    return kUnknown;
}

}  // namespace core
