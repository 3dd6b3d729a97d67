#include "core/controls/card_style.h"

#include <array>
#include <cstdint>

#include "core/text/case_mapping.h"
#include "core/text/utf.h"

namespace core {
namespace {

constexpr std::uint32_t kFnvOffsetBasis = 0x811C9DC5u;
constexpr std::uint32_t kFnvPrime = 0x01000193u;

// Ids whose last dot-separated part names a theme keep that theme's colour.
struct ThemeColour {
    std::string_view prefix;
    ColorRef colour;
};
constexpr std::array kThemeColours = {
    ThemeColour{"warm", hex_color(0xE3A256)},
    ThemeColour{"moon", hex_color(0x9FB3D9)},
    ThemeColour{"yuzu", hex_color(0xE9BF4C)},
};
constexpr std::size_t kMinThemePartBytes = 4;

// Every other id gets a stable colour from its hash.
constexpr std::array kHashedColours = {hex_color(0xD98A6A), hex_color(0x9DBB8A), hex_color(0x8FB0B3),
                                       hex_color(0xB39AD0)};
constexpr std::size_t kEmptyIdColourIndex = 1;

}  // namespace

std::uint32_t fnv1a_32(std::string_view bytes) {
    std::uint32_t hash = kFnvOffsetBasis;
    for (const char byte : bytes) {
        hash ^= static_cast<unsigned char>(byte);
        hash *= kFnvPrime;
    }
    return hash;
}

ColorRef card_colour(std::string_view id) {
    const std::size_t dot = id.rfind('.');
    const std::string_view part = dot == std::string_view::npos ? id : id.substr(dot + 1);
    if (part.size() >= kMinThemePartBytes) {
        for (const ThemeColour& theme : kThemeColours) {
            if (part.starts_with(theme.prefix)) return theme.colour;
        }
    }
    if (id.empty()) return kHashedColours[kEmptyIdColourIndex];
    return kHashedColours[fnv1a_32(id) % kHashedColours.size()];
}

TileColours tile_colours(std::string_view id) {
    const ColorRef colour = card_colour(id);
    return {mix_half(colour, kCardItemBackground), mix_half(colour, kPanelInk)};
}

std::string tile_initial(std::string_view name) {
    std::string initial;
    char32_t first = 0;
    // An ill-formed start shows no character: the rest of the program refuses such text
    // rather than replacing it.
    if (name.empty() || decode_utf8(name, 0, first) == 0) return initial;
    const CaseMapping upper = full_uppercase(first);
    for (const char32_t code_point : upper.view()) append_utf8(initial, code_point);
    return initial;
}

}  // namespace core
