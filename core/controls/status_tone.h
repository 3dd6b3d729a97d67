#pragma once

#include <cstdint>

#include "core/canvas/color.h"

namespace core {

// The colour tone of the control window's status line; the numbers are the tones' own.
enum class StatusTone : std::uint8_t {
    desktop = 0,  // playing on the desktop
    paused = 1,   // on the desktop, paused by the user
    preview = 2,  // playing in the preview window
    opening = 3,  // the page is still opening
    problem = 4,  // a status text reports a problem
    empty = 5,    // nothing installed
};

struct ToneColours {
    ColorRef text;
    ColorRef accent;
    ColorRef fill;

    bool operator==(const ToneColours&) const = default;
};

ToneColours status_tone_colours(StatusTone tone);

}  // namespace core
