#include "icons.h"

#include <iterator>

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

RECT cell(int index) {
    const int top = kMargin + index * (kCellHeight + kMargin);
    return RECT{kMargin, top, kMargin + kCellWidth, top + kCellHeight};
}

}  // namespace

void paint_desktop_icons(HDC dc) {
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

HRGN desktop_icons_region() {
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    for (int i = 0; i < static_cast<int>(std::size(kIcons)); ++i) {
        const RECT box = cell(i);
        HRGN part = ::CreateRectRgnIndirect(&box);
        ::CombineRgn(region, region, part, RGN_OR);
        ::DeleteObject(part);
    }
    return region;
}
