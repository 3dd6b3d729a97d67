#pragma once

#include <winsock2.h>
#include <windows.h>

#include <rapidjson/document.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <chrono>

#include "config.h"

namespace standin {

// JSON text of a string, for composing messages to the relay.
std::string quote(const std::string& text);

// The line to the relay and the UI thread's side of it: a hidden window on the thread
// that created the environment, to which a reader thread posts every line the relay
// sends, so that every callback runs on that thread from its message loop, as the
// runtime's do. One per process (environments with one profile share one browser).
class Channel {
public:
    using Reply = std::function<void(const rapidjson::Value& reply)>;
    using EventSink = std::function<void(const rapidjson::Value& event)>;

    // Connects to the relay and asks it to launch the browser with these arguments.
    static Channel* open(const Config& config, std::string* error);
    static Channel* current();

    const Config& config() const { return config_; }

    // Sends one operation (a JSON object's members, without braces); with a reply
    // callback, the relay's answer is handed to it on the UI thread.
    void send(const std::string& members, Reply reply = nullptr);
    // Runs fn on the UI thread after the configured callback delay (plus extra).
    void post(std::function<void()> fn, int extra_delay_ms = 0);
    void set_sink(int view, EventSink sink);
    void drop_sink(int view);
    int next_view() { return ++last_view_; }

    // One line in the test's log: through the relay once connected, so that lines from
    // both sides stay in order.
    void record(const std::string& text);
    static void record_local(const Config& config, const std::string& text);
    // The Unix form of a path (the relay is a Linux program); Wine's own conversion.
    static std::string unix_path(const std::wstring& path);

    void on_window_message(UINT message, WPARAM wparam);

    // How long the program waited for the browser, for the start-up benchmark: creation
    // calls until their completion, and a page's load until its first message, minus the
    // time spent inside the program's own handlers meanwhile.
    struct Timing {
        double environment_ms = 0;
        double controller_ms = 0;
        double handlers_ms = 0;
    };
    Timing timing;

private:
    explicit Channel(Config config) : config_(std::move(config)) {}
    void read_loop();
    void dispatch(const std::shared_ptr<rapidjson::Document>& document);

    Config config_;
    SOCKET socket_ = INVALID_SOCKET;
    HWND window_ = nullptr;
    std::thread reader_;
    std::mutex lock_;
    // Lines from the relay, already parsed by the reader thread: the runtime decodes its
    // messages off the UI thread too, and a page's 10 MB message would hold it otherwise.
    std::deque<std::shared_ptr<rapidjson::Document>> lines_;
    bool wake_pending_ = false;  // a kLinesArrived is on its way (under lock_)
    std::deque<std::function<void()>> due_;  // callbacks without delay, in order
    std::map<int, Reply> replies_;
    std::map<int, EventSink> sinks_;
    std::map<UINT_PTR, std::function<void()>> timers_;
    UINT_PTR next_timer_ = 1;
    int next_id_ = 0;
    int last_view_ = 0;
};

}  // namespace standin
