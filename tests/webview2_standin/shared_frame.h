#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>

// The newest frame a stand-in view shows, in memory named after the view's window: under
// Wine a window inside another process's window has no pixels of its own on the screen, so
// the stand-in Explorer draws this frame behind its icons, as Windows' compositor shows the
// wallpaper's window there. Written by the view (sequence odd while writing), read by the
// stand-in Explorer.
namespace standin_frame {

struct Header {
    volatile LONG sequence;
    LONG width;
    LONG height;
};

inline constexpr LONG kMaxWidth = 3840;
inline constexpr LONG kMaxHeight = 2160;
inline constexpr std::size_t kSize = sizeof(Header) + std::size_t{kMaxWidth} * kMaxHeight * 4;
inline constexpr wchar_t kViewClass[] = L"Tessary.WebView2StandIn.Surface";

inline std::wstring name(HWND view) {
    wchar_t text[64];
    std::swprintf(text, 64, L"Local\\Tessary.WebView2StandIn.Frame.%llx",
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(view)));
    return text;
}

// Draws top-down 32-bit pixels of width x height stretched into the rectangle.
inline void draw_pixels(HDC dc, const RECT& where, LONG width, LONG height, const void* pixels) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    ::StretchDIBits(dc, where.left, where.top, where.right - where.left, where.bottom - where.top, 0, 0, width,
                    height, pixels, &info, DIB_RGB_COLORS, SRCCOPY);
}

}  // namespace standin_frame
