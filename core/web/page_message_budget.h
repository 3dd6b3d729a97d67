#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "core/web/readiness.h"

namespace core {

// What the player listens to from one page. The bridge posts at most two short messages
// per document, so a page that posts a thousand a second, or megabytes, is flooding the
// UI thread; once it has, the player stops listening to it for the rest of its life (the
// asset protocol still reports its missing files, the readiness limit still applies).
class PageMessageBudget {
public:
    // A message costs one unit, and one more for each whole KiB of its text.
    static constexpr std::size_t kUnitsPerSecond = 1000;
    static constexpr std::size_t kCharactersPerUnit = 1024;

    // Charges one message of `characters` UTF-16 units. False from the message that takes
    // the page over its budget within one second on, for good.
    bool spend(std::size_t characters, MonotonicTime now);
    bool exhausted() const { return exhausted_; }

private:
    std::optional<MonotonicTime> second_start_;
    std::size_t spent_ = 0;
    bool exhausted_ = false;
};

inline constexpr std::string_view kPageMessageFloodLog =
    "wallpaper page posts more than 1000 messages or 1 MiB a second; no longer listening to it";

}  // namespace core
