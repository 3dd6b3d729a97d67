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
    // A refresh notice is on its way to the controller; more would only repeat it, and a
    // page that floods the player must not fill its message queue.
    std::atomic<bool> refresh_posted{false};
    // Log lines this page caused so far: a page that floods the player must not fill the disk.
    std::atomic<unsigned> page_log_lines{0};
};

// The log lines one page may cause (refused requests, its messages); one more line then
// says that the rest go unlogged.
inline constexpr unsigned kPageLogLineLimit = 256;

using SharedBridgeFlags = std::shared_ptr<BridgeFlags>;

}  // namespace core
