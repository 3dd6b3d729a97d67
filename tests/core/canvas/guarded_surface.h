#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "core/canvas/color.h"
#include "core/canvas/pixel_surface.h"

namespace canvas_test {

inline constexpr std::uint32_t kGuardWord = 0xDEADBEEF;
inline constexpr std::size_t kGuardWords = 64;
inline constexpr core::ColorRef kWhite = core::rgb(255, 255, 255);
inline constexpr core::ColorRef kBlack = core::rgb(0, 0, 0);
inline constexpr std::uint32_t kWhitePixel = 0x00FFFFFF;

// A surface cleared to white with guard words on both sides of its array, so a write
// outside width x height shows.
class GuardedSurface {
public:
    GuardedSurface(int width, int height)
        : words_(static_cast<std::size_t>(width * height) + 2 * kGuardWords, kGuardWord),
          surface_(std::span(words_).subspan(kGuardWords, static_cast<std::size_t>(width * height)), width,
                   height) {
        core::clear_surface(surface_, kWhite);
    }

    core::PixelSurface& surface() { return surface_; }
    std::uint32_t at(int x, int y) const { return surface_.pixel(x, y); }

    bool guards_intact() const {
        for (std::size_t i = 0; i < kGuardWords; ++i) {
            if (words_[i] != kGuardWord || words_[words_.size() - 1 - i] != kGuardWord) return false;
        }
        return true;
    }

    int changed_pixels() const {
        int changed = 0;
        for (int y = 0; y < surface_.height(); ++y) {
            for (int x = 0; x < surface_.width(); ++x) changed += surface_.pixel(x, y) != kWhitePixel;
        }
        return changed;
    }

    std::vector<std::uint32_t> pixels() const {
        return {words_.begin() + kGuardWords, words_.end() - kGuardWords};
    }

private:
    std::vector<std::uint32_t> words_;
    core::PixelSurface surface_;
};

}  // namespace canvas_test
