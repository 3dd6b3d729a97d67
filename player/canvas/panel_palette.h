#pragma once

#include "core/canvas/color.h"
#include "core/controls/card_style.h"

// The control window's warm light palette.
namespace player::palette {

inline constexpr core::ColorRef kItem = core::kCardItemBackground;
inline constexpr core::ColorRef kInk = core::kPanelInk;

inline constexpr core::ColorRef kWindow = core::rgb(0xFB, 0xF6, 0xEE);
inline constexpr core::ColorRef kCard = core::rgb(0xFF, 0xFA, 0xF9);
inline constexpr core::ColorRef kCardBorder = core::rgb(0xEC, 0xE0, 0xCC);
inline constexpr core::ColorRef kMutedInk = core::rgb(0x7A, 0x67, 0x5A);
inline constexpr core::ColorRef kFaintInk = core::rgb(0x9A, 0x85, 0x74);
inline constexpr core::ColorRef kCountPill = core::rgb(0xF4, 0xEA, 0xDB);
inline constexpr core::ColorRef kAccent = core::rgb(0xE3, 0xA2, 0x56);
inline constexpr core::ColorRef kAccentHot = core::rgb(0xD9, 0x96, 0x44);
inline constexpr core::ColorRef kAccentPressed = core::rgb(0xC9, 0x86, 0x3A);
inline constexpr core::ColorRef kFocus = core::rgb(0xA6, 0x58, 0x1D);
inline constexpr core::ColorRef kFace = core::rgb(0xF7, 0xF0, 0xE6);
inline constexpr core::ColorRef kFaceHot = core::rgb(0xF2, 0xE6, 0xD6);
inline constexpr core::ColorRef kFacePressed = core::rgb(0xEB, 0xDC, 0xC8);
inline constexpr core::ColorRef kFaceBorder = core::rgb(0xE2, 0xD2, 0xBC);
inline constexpr core::ColorRef kDisabledInk = core::rgb(0xB8, 0xA8, 0x98);
inline constexpr core::ColorRef kWhite = core::rgb(0xFF, 0xFF, 0xFF);

}  // namespace player::palette
