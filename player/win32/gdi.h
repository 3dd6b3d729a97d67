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

using unique_bitmap = unique_resource<gdi_object_traits<HBITMAP>>;
using unique_font = unique_resource<gdi_object_traits<HFONT>>;
using unique_brush = unique_resource<gdi_object_traits<HBRUSH>>;
// A device context from CreateCompatibleDC; window DCs are released, not deleted.
using unique_memory_dc = unique_resource<memory_dc_traits>;

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

// BeginPaint with the EndPaint that must follow it on every path; the area stays invalid
// only when BeginPaint failed.
class unique_paint {
public:
    explicit unique_paint(HWND window) : window_(window), dc_(::BeginPaint(window, &paint_)) {}
    ~unique_paint() {
        if (dc_ != nullptr) ::EndPaint(window_, &paint_);
    }

    unique_paint(const unique_paint&) = delete;
    unique_paint& operator=(const unique_paint&) = delete;

    HDC dc() const { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

}  // namespace win32
