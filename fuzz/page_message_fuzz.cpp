// A page's messages, one per line, applied in order to the flags of one page. Checks the
// rules the player's status rests on: once a resource failed, the page is never ready
// again; only the two known texts change anything; every counted message has a log line.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/web/bridge_flags.h"
#include "core/web/page_message.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    core::BridgeFlags flags;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view message = text.substr(start, end - start);
        const bool was_ready = flags.ready.load();
        const bool was_failed = flags.failed.load();
        const auto line = core::apply_page_message(message, flags);
        const bool known = message == core::kReadyMessage || message == core::kAssetErrorMessage;
        if (!known && (line || flags.ready.load() != was_ready || flags.failed.load() != was_failed)) {
            __builtin_trap();
        }
        if (line && line->empty()) __builtin_trap();
        if (was_failed && (!flags.failed.load() || flags.ready.load())) __builtin_trap();
        start = end + 1;
    }
    return 0;
}
