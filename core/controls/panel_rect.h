#pragma once

namespace core {

// A rectangle in client pixels; right and bottom are exclusive, as in a Windows RECT.
struct PanelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const PanelRect&) const = default;
};

}  // namespace core
