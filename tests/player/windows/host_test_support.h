#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/content/wallpaper_item.h"
#include "player/win32/unique_resource.h"

namespace test {

// A hidden window standing in for the controller window: it only collects what is
// posted to it.
class MessageSink {
public:
    MessageSink();
    HWND handle() const { return window_.get(); }
    // The messages posted to it so far, removed from the queue.
    std::vector<MSG> take_posted();

private:
    win32::unique_window window_;
};

// The Tessary.Host windows the calling thread owns.
int count_host_windows();

// A wallpaper "demo" with index.html, img/a.png and the given entry.
core::SharedWallpaper demo_wallpaper(const std::string& entry = "index.html");

}  // namespace test
