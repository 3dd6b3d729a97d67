#include "player/shell/autostart_watch.h"

#include "player/win32/system_error.h"

namespace player {
namespace {

LSTATUS open_for_notification(HKEY root, const std::wstring& subkey, win32::unique_hkey& key) {
    return ::RegOpenKeyExW(root, subkey.c_str(), 0, KEY_NOTIFY, key.put());
}

bool deleted(const win32::unique_hkey& key) {
    return ::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                              nullptr, nullptr, nullptr) == ERROR_KEY_DELETED;
}

core::Status arm_one(const win32::unique_hkey& key, HANDLE changed) {
    // Values only (set, changed, deleted), not the key's subkeys. The registration belongs
    // to the calling thread, the main thread, which outlives the watch.
    const LSTATUS armed = ::RegNotifyChangeKeyValue(key.get(), FALSE, REG_NOTIFY_CHANGE_LAST_SET, changed, TRUE);
    if (armed != ERROR_SUCCESS) return std::unexpected(win32::system_error(static_cast<DWORD>(armed)));
    return {};
}

}  // namespace

core::Result<AutostartWatch> AutostartWatch::open(const AutostartEntry& entry) {
    win32::unique_hkey key;
    const LSTATUS opened = open_for_notification(entry.root, entry.subkey, key);
    if (opened != ERROR_SUCCESS) return std::unexpected(win32::system_error(static_cast<DWORD>(opened)));
    // Missing until Windows (or this program) first writes a Startup apps flag.
    win32::unique_hkey approval_key;
    open_for_notification(entry.root, entry.approval_subkey, approval_key);
    // Auto-reset: the wait that reports the change also clears it. Either key sets it.
    win32::unique_handle changed(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!changed) return std::unexpected(win32::last_error());
    AutostartWatch watch(std::move(key), std::move(approval_key), entry, std::move(changed));
    if (auto armed = watch.arm(); !armed) return std::unexpected(armed.error());
    return watch;
}

core::Status AutostartWatch::arm() {
    if (auto armed = arm_one(key_, changed_.get()); !armed) return armed;
    if (approval_key_) return arm_one(approval_key_, changed_.get());
    return {};
}

bool AutostartWatch::stale() const {
    if (deleted(key_)) return true;
    if (approval_key_) return deleted(approval_key_);
    win32::unique_hkey made;
    return open_for_notification(root_, approval_subkey_, made) == ERROR_SUCCESS;
}

}  // namespace player
