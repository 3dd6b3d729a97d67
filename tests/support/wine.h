#pragma once

#include <windows.h>

namespace test {

// Wine's ntdll exports wine_get_version; Windows' does not. A test that holds only in Wine's
// world (no Explorer desktop, no WebView2 runtime, Wine's own tray) skips on Windows and
// says why; where Windows' answer is knowable, it tests that instead.
inline bool under_wine() {
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace test
