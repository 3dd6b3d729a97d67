#pragma once

#include <windows.h>

namespace test {

// Window classes are registered once per process; tests that share one call this instead,
// which also accepts a class that an earlier test registered.
template <class Register>
bool ensure_window_class(const wchar_t* name, Register register_class) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (::GetClassInfoExW(::GetModuleHandleW(nullptr), name, &existing)) return true;
    return register_class().has_value();
}

}  // namespace test
