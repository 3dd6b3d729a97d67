#pragma once

#include <windows.h>
#include <objbase.h>

#include "core/unique_resource.h"

namespace win32 {

// The one owner template, shared with the platform-free core; the traits below give each
// handle kind of the system its invalid value and its release.
template <class Traits>
using unique_resource = core::unique_resource<Traits>;

struct file_handle_traits {
    using handle_type = HANDLE;
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE handle) { ::CloseHandle(handle); }
};

struct kernel_handle_traits {
    using handle_type = HANDLE;
    static HANDLE invalid() { return nullptr; }
    static void close(HANDLE handle) { ::CloseHandle(handle); }
};

struct find_handle_traits {
    using handle_type = HANDLE;
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE handle) { ::FindClose(handle); }
};

struct change_notification_traits {
    using handle_type = HANDLE;
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE handle) { ::FindCloseChangeNotification(handle); }
};

struct local_memory_traits {
    using handle_type = HLOCAL;
    static HLOCAL invalid() { return nullptr; }
    static void close(HLOCAL memory) { ::LocalFree(memory); }
};

struct window_traits {
    using handle_type = HWND;
    static HWND invalid() { return nullptr; }
    // The system may have destroyed the window already (its parent went first).
    static void close(HWND window) {
        if (::IsWindow(window)) ::DestroyWindow(window);
    }
};

struct module_traits {
    using handle_type = HMODULE;
    static HMODULE invalid() { return nullptr; }
    static void close(HMODULE module) { ::FreeLibrary(module); }
};

// Predefined roots such as HKEY_CURRENT_USER are never owned: only opened keys go in here.
struct registry_key_traits {
    using handle_type = HKEY;
    static HKEY invalid() { return nullptr; }
    static void close(HKEY key) { ::RegCloseKey(key); }
};

struct menu_traits {
    using handle_type = HMENU;
    static HMENU invalid() { return nullptr; }
    static void close(HMENU menu) { ::DestroyMenu(menu); }
};

// An icon loaded from a resource without LR_SHARED, which its loader destroys.
struct icon_traits {
    using handle_type = HICON;
    static HICON invalid() { return nullptr; }
    static void close(HICON icon) { ::DestroyIcon(icon); }
};

// Memory a COM server handed over (texts the browser runtime returns).
struct co_task_memory_traits {
    using handle_type = void*;
    static void* invalid() { return nullptr; }
    static void close(void* memory) { ::CoTaskMemFree(memory); }
};

struct power_notification_traits {
    using handle_type = HPOWERNOTIFY;
    static HPOWERNOTIFY invalid() { return nullptr; }
    static void close(HPOWERNOTIFY registration) { ::UnregisterPowerSettingNotification(registration); }
};

// CreateFileW and FindFirstFileW report failure as INVALID_HANDLE_VALUE; most other
// kernel objects as null.
using unique_file = unique_resource<file_handle_traits>;
using unique_handle = unique_resource<kernel_handle_traits>;
using unique_find = unique_resource<find_handle_traits>;
using unique_local = unique_resource<local_memory_traits>;
using unique_change_notification = unique_resource<change_notification_traits>;
using unique_window = unique_resource<window_traits>;
using unique_module = unique_resource<module_traits>;
using unique_hkey = unique_resource<registry_key_traits>;
using unique_menu = unique_resource<menu_traits>;
using unique_icon = unique_resource<icon_traits>;
using unique_co_task_memory = unique_resource<co_task_memory_traits>;
using unique_power_notification = unique_resource<power_notification_traits>;

}  // namespace win32
