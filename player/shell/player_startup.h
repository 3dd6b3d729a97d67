#pragma once

#include <functional>
#include <memory>
#include <string>

#include "core/error/error.h"
#include "player/shell/entry.h"
#include "player/windows/web_layer.h"

namespace player {

// The player proper: settings, shipped wallpapers, the single-instance lock, windows,
// controller, first wallpaper and the message loop until the user exits.
core::Status run_player(const EntryContext& context, const WebLayerFactory& make_web_layer);

}  // namespace player
