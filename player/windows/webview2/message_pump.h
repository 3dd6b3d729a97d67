#pragma once

#include <chrono>
#include <functional>

#include "core/error/error.h"

namespace player::webview2 {

// The runtime starts its browser asynchronously but a host build is one synchronous step,
// so the UI thread keeps dispatching its messages (window procedures only queue events)
// until done() holds. A quit message met on the way is posted again for the main loop.
core::Status pump_messages_until(const std::function<bool()>& done, std::chrono::milliseconds limit);

}  // namespace player::webview2
