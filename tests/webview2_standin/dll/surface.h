#pragma once

#include <windows.h>

#include <rapidjson/document.h>

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "channel.h"
#include "stubs.h"
#include "../shared_frame.h"

namespace standin {

// The view's window inside the host, as the runtime puts one there: it shows the page's
// frames (the relay's screencast, decoded off the UI thread) and sends the mouse presses,
// moves and wheel turns made in it to the page. Only when the configuration asks for it
// (paint=on): decoding frames costs the host process what the real runtime spends in its
// own processes.
class Surface {
public:
    static std::shared_ptr<Surface> create(Channel& channel, HWND parent, int view);
    ~Surface();
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    // Takes the view's "frame" events; false for any other event.
    bool on_event(const rapidjson::Value& event);
    void set_bounds(const RECT& bounds);
    void set_visible(bool visible);
    void set_parent(HWND parent);
    // The controller's DefaultBackgroundColor: shown until the page's first frame.
    void set_background(COREWEBVIEW2_COLOR color);
    void close();

    LRESULT on_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

private:
    Surface(Channel& channel, int view) : channel_(channel), view_(view) {}
    void decode_loop();
    void show_decoded();
    void paint();
    void send_mouse(const char* type, LPARAM position, const char* button, WPARAM keys, int delta = 0);
    void ask_for_frames();
    void share(const std::vector<std::uint32_t>& pixels, int width, int height);
    void share_background();

    struct Frame {
        std::vector<std::uint32_t> pixels;  // top-down BGRA
        int width = 0;
        int height = 0;
    };

    Channel& channel_;
    int view_;
    HWND window_ = nullptr;
    RECT bounds_{};
    bool visible_ = true;
    SIZE asked_{};  // the frame size last asked of the relay
    POINT last_move_{-1, -1};
    COREWEBVIEW2_COLOR background_{255, 255, 255, 255};

    std::thread decoder_;
    std::mutex lock_;
    std::condition_variable wake_;
    bool stopping_ = false;              // under lock_
    std::string encoded_;                // the newest frame not yet decoded (base64), under lock_
    int pending_frame_ = 0;              // its number, under lock_
    std::vector<int> unanswered_;        // frames received and not yet acknowledged, under lock_
    Frame shown_;                        // the frame the window shows, under lock_
    // The frame for the stand-in Explorer (shared_frame.h), written by the decoder thread.
    HANDLE shared_mapping_ = nullptr;
    standin_frame::Header* shared_ = nullptr;
    // Serialises the two writers of the shared frame: the background (UI thread) until the
    // decoder thread shared a frame of the page.
    std::mutex share_lock_;
    bool page_shared_ = false;  // under share_lock_
};

}  // namespace standin
