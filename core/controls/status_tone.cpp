#include "core/controls/status_tone.h"

namespace core {

ToneColours status_tone_colours(StatusTone tone) {
    switch (tone) {
        case StatusTone::desktop: return {hex_color(0x3D6B48), hex_color(0x5F9A6B), hex_color(0xE7F0E4)};
        case StatusTone::paused: return {hex_color(0xA6581D), hex_color(0xE3A256), hex_color(0xF8E5C9)};
        case StatusTone::preview: return {hex_color(0x4A5F8A), hex_color(0x7D93C0), hex_color(0xE6EBF5)};
        case StatusTone::opening: break;
        case StatusTone::problem: return {hex_color(0xA9412F), hex_color(0xD9604A), hex_color(0xFBE3DD)};
        case StatusTone::empty: return {hex_color(0x7A675A), hex_color(0xC9B49C), hex_color(0xF4EADB)};
    }
    // A value outside the enumeration gets the neutral colours of the opening tone.
    return {hex_color(0x7A675A), hex_color(0xB39A83), hex_color(0xF4EADB)};
}

}  // namespace core
