#pragma once

// A process's own resource counters, answered to a message from another process: Wine
// reports no memory counters for other processes, and its GetProcessHandleCount and
// GetGuiResources are stubs that answer 0 even for the process itself. Where the system
// call answers 0, the count is taken by trying every handle value instead: kernel handles
// through GetHandleInformation, GDI objects through GetObjectType (Wine takes a GDI handle
// without its generation bits). Header-only, so that a program with no test support (the
// benchmarks' one-window baseline) answers the same way.
#include <windows.h>
#include <psapi.h>

namespace test {

// wParam picks the counter; the answer is its value.
inline constexpr UINT kResourceProbeMessage = WM_APP + 0x100;
inline constexpr WPARAM kProbeHandles = 0;
inline constexpr WPARAM kProbeGdiObjects = 1;
inline constexpr WPARAM kProbeUserObjects = 2;
inline constexpr WPARAM kProbePrivateBytes = 3;

// Kernel handle values are multiples of 4; no test process holds 16,384 of them.
inline LRESULT scan_handles() {
    LRESULT count = 0;
    for (ULONG_PTR value = 4; value < 0x10000; value += 4) {
        DWORD flags = 0;
        if (::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
    }
    return count;
}

inline LRESULT scan_gdi_objects() {
    LRESULT count = 0;
    for (ULONG_PTR value = 1; value < 0x10000; ++value) {
        if (::GetObjectType(reinterpret_cast<HGDIOBJ>(value)) != 0) ++count;
    }
    return count;
}

inline LRESULT answer_resource_probe(WPARAM counter) {
    const HANDLE self = ::GetCurrentProcess();
    switch (counter) {
        case kProbeHandles: {
            DWORD count = 0;
            ::GetProcessHandleCount(self, &count);
            return count != 0 ? static_cast<LRESULT>(count) : scan_handles();
        }
        case kProbeGdiObjects: {
            const DWORD count = ::GetGuiResources(self, GR_GDIOBJECTS);
            return count != 0 ? static_cast<LRESULT>(count) : scan_gdi_objects();
        }
        case kProbeUserObjects:
            return static_cast<LRESULT>(::GetGuiResources(self, GR_USEROBJECTS));
        case kProbePrivateBytes: {
            PROCESS_MEMORY_COUNTERS_EX counters{};
            counters.cb = sizeof counters;
            if (!::K32GetProcessMemoryInfo(self, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                           sizeof counters)) {
                return 0;
            }
            // Windows fills both with the commit charge; Wine only the older field.
            return static_cast<LRESULT>(counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage);
        }
        default:
            return 0;
    }
}

}  // namespace test
