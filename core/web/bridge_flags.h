#pragma once

#include <atomic>
#include <memory>

namespace core {

// The player's view of one page: created afresh for every host build, so a discarded
// page's callbacks (which hold their own reference) can never touch its successor.
// Atomic because closures owned by the WebView share them with the controller.
struct BridgeFlags {
    std::atomic<bool> ready{false};
    std::atomic<bool> failed{false};
    // The page's renderer or browser died: only a new build brings the page back.
    std::atomic<bool> process_failed{false};
};

using SharedBridgeFlags = std::shared_ptr<BridgeFlags>;

}  // namespace core
