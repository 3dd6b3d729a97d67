#pragma once

#include <windows.h>

#include <utility>

namespace win32 {

// One owner for one OS resource. Traits give the handle type, its invalid value and how to
// release it. Move-only, so a handle can never be released twice.
template <class Traits>
class unique_resource {
public:
    using handle_type = typename Traits::handle_type;

    unique_resource() = default;
    explicit unique_resource(handle_type handle) : handle_(handle) {}
    ~unique_resource() { reset(); }

    unique_resource(const unique_resource&) = delete;
    unique_resource& operator=(const unique_resource&) = delete;
    unique_resource(unique_resource&& other) noexcept : handle_(other.release()) {}
    unique_resource& operator=(unique_resource&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    handle_type get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::invalid(); }

    handle_type release() { return std::exchange(handle_, Traits::invalid()); }

    void reset(handle_type handle = Traits::invalid()) {
        const handle_type old = std::exchange(handle_, handle);
        if (old != Traits::invalid()) Traits::close(old);
    }

    // For out-parameters: releases what is held first.
    handle_type* put() {
        reset();
        return &handle_;
    }

private:
    handle_type handle_ = Traits::invalid();
};

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

}  // namespace win32
