#pragma once

#include <windows.h>

#include <utility>

#include "player/win32/unique_resource.h"

namespace win32 {

template <class Handle>
struct gdi_object_traits {
    using handle_type = Handle;
    static Handle invalid() { return nullptr; }
    static void close(Handle object) { ::DeleteObject(object); }
};

struct memory_dc_traits {
    using handle_type = HDC;
    static HDC invalid() { return nullptr; }
    static void close(HDC dc) { ::DeleteDC(dc); }
};

// A window's device context from GetDC, which goes back to that window with ReleaseDC.
struct window_dc {
    HWND window = nullptr;
    HDC dc = nullptr;
    bool operator==(const window_dc&) const = default;
};

struct window_dc_traits {
    using handle_type = window_dc;
    static window_dc invalid() { return {}; }
    static void close(window_dc held) { ::ReleaseDC(held.window, held.dc); }
};

// One WM_PAINT's device context from BeginPaint, ended with EndPaint.
struct paint_session {
    HWND window = nullptr;
    PAINTSTRUCT paint{};
    bool operator==(const paint_session& other) const {
        return window == other.window && paint.hdc == other.paint.hdc;
    }
};

struct paint_traits {
    using handle_type = paint_session;
    static paint_session invalid() { return {}; }
    static void close(paint_session held) { ::EndPaint(held.window, &held.paint); }
};

using unique_bitmap = unique_resource<gdi_object_traits<HBITMAP>>;
using unique_font = unique_resource<gdi_object_traits<HFONT>>;
using unique_brush = unique_resource<gdi_object_traits<HBRUSH>>;
// A device context from CreateCompatibleDC; window DCs are released, not deleted.
using unique_memory_dc = unique_resource<memory_dc_traits>;
using unique_window_dc = unique_resource<window_dc_traits>;
using unique_paint = unique_resource<paint_traits>;

// The window's DC, or an empty owner when GetDC fails.
inline unique_window_dc get_window_dc(HWND window) {
    const HDC dc = ::GetDC(window);
    return dc != nullptr ? unique_window_dc(window_dc{window, dc}) : unique_window_dc();
}

// Begins painting the window; an empty owner when BeginPaint gives no DC.
inline unique_paint begin_paint(HWND window) {
    paint_session session{window};
    if (::BeginPaint(window, &session.paint) == nullptr) return unique_paint();
    return unique_paint(session);
}

// Selects an object into a device context and puts back what it replaced when dropped,
// so a bitmap or font is never deleted while still selected. Drop it before the DC.
class unique_selection {
public:
    unique_selection() = default;
    unique_selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {
        if (previous_ == nullptr || previous_ == HGDI_ERROR) previous_ = nullptr;
    }
    ~unique_selection() { reset(); }

    unique_selection(const unique_selection&) = delete;
    unique_selection& operator=(const unique_selection&) = delete;
    unique_selection(unique_selection&& other) noexcept
        : dc_(std::exchange(other.dc_, nullptr)), previous_(std::exchange(other.previous_, nullptr)) {}
    unique_selection& operator=(unique_selection&& other) noexcept {
        if (this != &other) {
            reset();
            dc_ = std::exchange(other.dc_, nullptr);
            previous_ = std::exchange(other.previous_, nullptr);
        }
        return *this;
    }

    // False when the selection failed and nothing will be restored.
    explicit operator bool() const { return previous_ != nullptr; }

    void reset() {
        if (previous_ != nullptr) ::SelectObject(dc_, previous_);
        dc_ = nullptr;
        previous_ = nullptr;
    }

private:
    HDC dc_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

}  // namespace win32
