#include "core/controls/status_tone.h"

namespace core {

ToneColours status_tone_colours(StatusTone tone) {
    switch (tone) {
        case StatusTone::desktop: return {rgb_hex(0x3D6B48), rgb_hex(0x5F9A6B), rgb_hex(0xE7F0E4)};
        case StatusTone::paused: return {rgb_hex(0xA6581D), rgb_hex(0xE3A256), rgb_hex(0xF8E5C9)};
        case StatusTone::preview: return {rgb_hex(0x4A5F8A), rgb_hex(0x7D93C0), rgb_hex(0xE6EBF5)};
        case StatusTone::opening: break;
        case StatusTone::problem: return {rgb_hex(0xA9412F), rgb_hex(0xD9604A), rgb_hex(0xFBE3DD)};
        case StatusTone::empty: return {rgb_hex(0x7A675A), rgb_hex(0xC9B49C), rgb_hex(0xF4EADB)};
    }
    // A value outside the enumeration gets the neutral colours of the opening tone.
    return {rgb_hex(0x7A675A), rgb_hex(0xB39A83), rgb_hex(0xF4EADB)};
}

}  // namespace core
