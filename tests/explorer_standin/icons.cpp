#include "icons.h"

#include <cwchar>
#include <iterator>
#include <vector>

#include "../webview2_standin/shared_frame.h"

namespace {

constexpr int kCellWidth = 76;
constexpr int kCellHeight = 74;
constexpr int kMargin = 4;

struct DesktopIcon {
    WORD icon;  // a system icon resource
    const wchar_t* label;
};

constexpr DesktopIcon kIcons[] = {
    {32516, L"Computer"},     // IDI_INFORMATION
    {32512, L"Recycle Bin"},  // IDI_APPLICATION
    {32514, L"Documents"},    // IDI_QUESTION
};

std::vector<HWND> views_behind(HWND wallpaper_worker) {
    std::vector<HWND> views;
    if (wallpaper_worker == nullptr) return views;
    ::EnumChildWindows(
        wallpaper_worker,
        [](HWND window, LPARAM found) {
            wchar_t name[64] = {};
            ::GetClassNameW(window, name, 64);
            if (std::wcscmp(name, standin_frame::kViewClass) == 0 && ::IsWindowVisible(window)) {
                reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&views));
    return views;
}

// Runs fn on the view's shared frame while it is mapped.
template <class Fn>
void with_frame(HWND view, Fn fn) {
    const HANDLE mapping = ::OpenFileMappingW(FILE_MAP_READ, FALSE, standin_frame::name(view).c_str());
    if (mapping == nullptr) return;
    if (const void* memory = ::MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, standin_frame::kSize)) {
        fn(*static_cast<const standin_frame::Header*>(memory));
        ::UnmapViewOfFile(memory);
    }
    ::CloseHandle(mapping);
}

void paint_view(HDC dc, HWND list, HWND view) {
    RECT where{};
    ::GetClientRect(view, &where);
    ::MapWindowPoints(view, list, reinterpret_cast<POINT*>(&where), 2);
    with_frame(view, [&](const standin_frame::Header& frame) {
        // A frame being written is skipped; the next timer tick brings it.
        if (frame.width <= 0 || frame.height <= 0 || (frame.sequence & 1) != 0) return;
        standin_frame::draw_pixels(dc, where, frame.width, frame.height, &frame + 1);
    });
}

RECT cell(int index) {
    const int top = kMargin + index * (kCellHeight + kMargin);
    return RECT{kMargin, top, kMargin + kCellWidth, top + kCellHeight};
}

}  // namespace

void paint_desktop_icons(HDC dc, HWND list, HWND wallpaper_worker) {
    for (HWND view : views_behind(wallpaper_worker)) paint_view(dc, list, view);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, RGB(255, 255, 255));
    for (int i = 0; i < static_cast<int>(std::size(kIcons)); ++i) {
        RECT box = cell(i);
        ::FillRect(dc, &box, static_cast<HBRUSH>(::GetStockObject(DKGRAY_BRUSH)));
        ::DrawIcon(dc, box.left + (kCellWidth - 32) / 2, box.top + 6, ::LoadIconW(nullptr, MAKEINTRESOURCEW(kIcons[i].icon)));
        RECT text = box;
        text.top += 42;
        ::DrawTextW(dc, kIcons[i].label, -1, &text, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
}

LONG views_behind_sequence(HWND wallpaper_worker) {
    LONG sum = 0;
    for (HWND view : views_behind(wallpaper_worker)) {
        with_frame(view, [&](const standin_frame::Header& frame) { sum += frame.sequence; });
    }
    return sum;
}
