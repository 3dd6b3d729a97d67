#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "player/log/log.h"

namespace test {

// Collects the messages logged while it lives (without the time stamp).
class LogCapture {
public:
    LogCapture() { player::set_log_observer(&LogCapture::receive, this); }
    ~LogCapture() { player::set_log_observer(nullptr, nullptr); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::vector<std::string> lines() const {
        const std::lock_guard guard(lock_);
        return lines_;
    }

private:
    static void receive(void* context, std::string_view message) {
        auto* self = static_cast<LogCapture*>(context);
        const std::lock_guard guard(self->lock_);
        self->lines_.emplace_back(message);
    }

    mutable std::mutex lock_;
    std::vector<std::string> lines_;
};

}  // namespace test
