#include "core/web/page_message.h"

namespace core {

std::optional<std::string_view> apply_page_message(std::string_view message, BridgeFlags& flags) {
    if (message == kAssetErrorMessage) {
        flags.failed.store(true);
        // A resource that fails after readiness still breaks the wallpaper.
        flags.ready.store(false);
        return "wallpaper reported resource failure";
    }
    if (message == kReadyMessage && !flags.failed.load()) {
        flags.ready.store(true);
        return "wallpaper bridge ready";
    }
    return std::nullopt;
}

}  // namespace core
