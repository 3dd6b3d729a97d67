#include "player/windows/host_notice.h"

#include <commctrl.h>

#include "core/canvas/pixel_surface.h"
#include "player/canvas/canvas.h"
#include "player/canvas/canvas_text.h"
#include "player/canvas/panel_palette.h"
#include "player/canvas/ui_fonts.h"
#include "player/win32/dpi.h"
#include "player/win32/gdi.h"

namespace player {
namespace {

// The WebView's own hook on the host is number 1.
constexpr UINT_PTR kNoticeSubclass = 2;
constexpr int kNoticeFont = core::kUiFontBodyStrong;
constexpr UINT kNoticeFormat = DT_CENTER | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL;

}  // namespace

core::Result<std::unique_ptr<HostNotice>> HostNotice::show(HWND window, std::string text) {
    std::unique_ptr<HostNotice> notice(new HostNotice(window, std::move(text)));
    notice->hooked_ = ::SetWindowSubclass(window, procedure, kNoticeSubclass, reinterpret_cast<DWORD_PTR>(notice.get()));
    if (!notice->hooked_) return core::fail("cannot paint the wallpaper window's notice");
    ::InvalidateRect(window, nullptr, FALSE);
    return notice;
}

HostNotice::~HostNotice() {
    if (hooked_) ::RemoveWindowSubclass(window_, procedure, kNoticeSubclass);
}

void HostNotice::set_text(std::string text) {
    text_ = std::move(text);
    ::InvalidateRect(window_, nullptr, FALSE);
}

LRESULT CALLBACK HostNotice::procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                       DWORD_PTR data) {
    auto* notice = reinterpret_cast<HostNotice*>(data);
    switch (message) {
        case WM_PAINT:
            notice->paint();
            return 0;
        case WM_ERASEBKGND:
            // The paint covers every pixel.
            return 1;
        case WM_SIZE:
            // The text is centred: all of it moves, not only the area the resize uncovered.
            ::InvalidateRect(window, nullptr, FALSE);
            break;
        case WM_NCDESTROY:
            ::RemoveWindowSubclass(window, procedure, id);
            notice->hooked_ = false;
            break;
        default:
            break;
    }
    return ::DefSubclassProc(window, message, wparam, lparam);
}

// Off-screen first, so that a resize never shows the background without its text. A step
// that fails leaves what was there: the next paint tries again.
void HostNotice::paint() const {
    const win32::unique_paint painting = win32::begin_paint(window_);
    const HDC dc = painting.get().paint.hdc;
    RECT client{};
    if (dc == nullptr || !::GetClientRect(window_, &client)) return;
    auto canvas = create_canvas(dc, client.right, client.bottom);
    if (!canvas) return;
    core::clear_surface(canvas->surface(), palette::kWindow);
    const auto fonts = create_ui_fonts(win32::window_dpi(window_));
    if (fonts) {
        const LONG margin = client.right / 8;
        const RECT area{margin, client.bottom * 2 / 5, client.right - margin, client.bottom};
        draw_text(canvas->dc(), fonts->font(kNoticeFont), palette::kInk, text_, area, kNoticeFormat);
    }
    present_canvas(std::move(*canvas), dc, 0, 0);
}

}  // namespace player
