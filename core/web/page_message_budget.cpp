#include "core/web/page_message_budget.h"

namespace core {

bool PageMessageBudget::spend(std::size_t characters, MonotonicTime now) {
    if (exhausted_) return false;
    if (!second_start_ || now - *second_start_ >= std::chrono::seconds(1)) {
        second_start_ = now;
        spent_ = 0;
    }
    spent_ += 1 + characters / kCharactersPerUnit;
    exhausted_ = spent_ > kUnitsPerSecond;
    return !exhausted_;
}

}  // namespace core
