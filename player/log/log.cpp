#include "player/log/log.h"

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <exception>
#include <mutex>

#include "core/log/log_format.h"
#include "core/text/hex.h"
#include "player/log/log_writer.h"

namespace player {
namespace {

// The one process-wide log writer. Installed once and never closed before the process
// ends, so log_line needs no check beyond the pointer.
std::atomic<LogWriter*> g_writer{nullptr};

struct Observer {
    std::mutex lock;
    LogObserver function = nullptr;
    void* context = nullptr;
};

Observer& observer() {
    static Observer instance;
    return instance;
}

std::int64_t now_unix_seconds() {
    FILETIME now{};
    ::GetSystemTimePreciseAsFileTime(&now);
    const std::uint64_t ticks = (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return core::unix_seconds_from_filetime(ticks);
}

void on_terminate() {
    std::string report = "terminate called";
    if (const std::exception_ptr current = std::current_exception()) {
        try {
            std::rethrow_exception(current);
        } catch (const std::exception& error) {
            report += " after an exception: ";
            report += error.what();
        } catch (...) {
            report += " after an unknown exception";
        }
    }
    log_line("panic: " + report);
    std::abort();
}

LONG WINAPI on_unhandled_exception(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    log_line("panic: unhandled exception " + core::hex_number(record->ExceptionCode) + " at " +
             core::hex_number(reinterpret_cast<std::uintptr_t>(record->ExceptionAddress)));
    return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

void set_log_observer(LogObserver function, void* context) {
    Observer& current = observer();
    const std::lock_guard guard(current.lock);
    current.function = function;
    current.context = context;
}

void log_line(std::string_view message) {
    {
        Observer& current = observer();
        const std::lock_guard guard(current.lock);
        if (current.function != nullptr) current.function(current.context, message);
    }
    LogWriter* writer = g_writer.load(std::memory_order_acquire);
    if (writer == nullptr) return;
    writer->write(core::format_log_line(now_unix_seconds(), message));
}

void install_log_file(win32::unique_file file, LogRotation rotate, std::uint64_t grace_ms) {
    auto* writer = new LogWriter(std::move(file), std::move(rotate), grace_ms);
    LogWriter* expected = nullptr;
    if (!g_writer.compare_exchange_strong(expected, writer, std::memory_order_acq_rel)) {
        delete writer;  // the first writer stays for the life of the process
        return;
    }
    std::set_terminate(on_terminate);
    ::SetUnhandledExceptionFilter(on_unhandled_exception);
}

}  // namespace player
