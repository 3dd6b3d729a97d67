#include "host_test_support.h"

#include <gtest/gtest.h>

#include "player/windows/host_window.h"

namespace test {

MessageSink::MessageSink()
    : window_(::CreateWindowExW(0, L"STATIC", L"sink", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                ::GetModuleHandleW(nullptr), nullptr)) {
    EXPECT_TRUE(window_);
}

std::vector<MSG> MessageSink::take_posted() {
    std::vector<MSG> posted;
    MSG message;
    while (::PeekMessageW(&message, window_.get(), 0, 0, PM_REMOVE)) posted.push_back(message);
    return posted;
}

int count_host_windows() {
    int count = 0;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM found) -> BOOL {
            wchar_t name[64] = {};
            ::GetClassNameW(window, name, 64);
            if (std::wstring_view(name) == player::kHostWindowClass) ++*reinterpret_cast<int*>(found);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

core::SharedWallpaper demo_wallpaper(const std::string& entry) {
    auto item = std::make_shared<core::WallpaperItem>();
    item->manifest = core::Manifest{.id = "demo", .name = "Demo", .version = 1, .entry = entry, .fps = 60};
    item->assets.emplace(entry, core::Bytes{'<', 'p', '>'});
    item->assets.emplace("img/a.png", core::Bytes{'P', 'N', 'G'});
    return item;
}

}  // namespace test
