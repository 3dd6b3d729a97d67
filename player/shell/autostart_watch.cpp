#include "player/shell/autostart_watch.h"

#include "player/win32/system_error.h"

namespace player {

core::Result<AutostartWatch> AutostartWatch::open(const AutostartEntry& entry) {
    win32::unique_hkey key;
    const LSTATUS opened = ::RegOpenKeyExW(entry.root, entry.subkey.c_str(), 0, KEY_NOTIFY, key.put());
    if (opened != ERROR_SUCCESS) return std::unexpected(win32::system_error(static_cast<DWORD>(opened)));
    // Auto-reset: the wait that reports the change also clears it.
    win32::unique_handle changed(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!changed) return std::unexpected(win32::last_error());
    AutostartWatch watch(std::move(key), std::move(changed));
    if (auto armed = watch.arm(); !armed) return std::unexpected(armed.error());
    return watch;
}

core::Status AutostartWatch::arm() {
    // Values only (set, changed, deleted), not the key's subkeys. The registration belongs
    // to the calling thread, the main thread, which outlives the watch.
    const LSTATUS armed =
        ::RegNotifyChangeKeyValue(key_.get(), FALSE, REG_NOTIFY_CHANGE_LAST_SET, changed_.get(), TRUE);
    if (armed != ERROR_SUCCESS) return std::unexpected(win32::system_error(static_cast<DWORD>(armed)));
    return {};
}

bool AutostartWatch::key_deleted() const {
    return ::RegQueryInfoKeyW(key_.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                              nullptr, nullptr, nullptr) == ERROR_KEY_DELETED;
}

}  // namespace player
