#include "channel.h"

#include "com.h"

#include <ws2tcpip.h>

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <memory>
#include <string_view>

namespace standin {
namespace {

constexpr UINT kLinesArrived = WM_APP + 1;
constexpr UINT kRunPosted = WM_APP + 2;
constexpr wchar_t kWindowClass[] = L"Tessary.WebView2StandIn";
// Callbacks run per wake-up before the thread's other messages (a message sent from
// another program, say) get their turn: the runtime's UI-thread pump yields to the
// thread's own messages between its tasks, so a burst never holds the thread long.
constexpr std::size_t kCallbacksPerWake = 256;
constexpr auto kTimePerWake = std::chrono::milliseconds(4);
constexpr std::size_t kKeptBuffer = 1 << 20;
Channel* g_channel = nullptr;

// rapidjson's own pool starts at 64 KiB: a page's flood of small messages, queued for the
// UI thread, would hold that much each.
std::shared_ptr<rapidjson::Document> parse_line(const char* text, std::size_t size) {
    struct Parsed {
        rapidjson::MemoryPoolAllocator<> pool{1024};
        rapidjson::Document value{&pool};
    };
    const auto parsed = std::make_shared<Parsed>();
    std::shared_ptr<rapidjson::Document> document(parsed, &parsed->value);
    document->Parse(text, size);
    if (document->HasParseError() || !document->IsObject()) return nullptr;
    // A page's message arrives as its JSON text; a string message is decoded here, to the
    // UTF-16 it is handed out as (kept as raw bytes), so that asking for it as a string
    // costs the UI thread no parse and no conversion.
    const auto ev = document->FindMember("ev");
    const auto json = document->FindMember("json");
    if (ev != document->MemberEnd() && ev->value == "message" && json != document->MemberEnd() &&
        json->value.IsString()) {
        rapidjson::Document message;
        message.Parse(json->value.GetString(), json->value.GetStringLength());
        if (!message.HasParseError() && message.IsString()) {
            const std::wstring wide = to_wide(std::string(message.GetString(), message.GetStringLength()));
            rapidjson::Value utf16(reinterpret_cast<const char*>(wide.data()),
                                   static_cast<rapidjson::SizeType>(wide.size() * sizeof(wchar_t)),
                                   document->GetAllocator());
            document->AddMember("text16", utf16, document->GetAllocator());
        }
    }
    return document;
}

LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if ((message == kLinesArrived || message == kRunPosted || message == WM_TIMER) && g_channel != nullptr) {
        g_channel->on_window_message(message, wparam);
        return 0;
    }
    return ::DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

std::string Channel::unix_path(const std::wstring& path) {
    using Converter = char*(CDECL*)(LPCWSTR);
    const auto convert = reinterpret_cast<Converter>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (convert == nullptr || path.empty()) return {};
    char* converted = convert(path.c_str());
    if (converted == nullptr) return {};
    std::string result(converted);
    ::HeapFree(::GetProcessHeap(), 0, converted);
    return result;
}

std::string quote(const std::string& text) {
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    writer.String(text.c_str(), static_cast<rapidjson::SizeType>(text.size()));
    return buffer.GetString();
}

Channel* Channel::current() { return g_channel; }

Channel* Channel::open(const Config& config, std::string* error) {
    if (g_channel != nullptr) return g_channel;
    WSADATA data{};
    if (::WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        *error = "WSAStartup failed";
        return nullptr;
    }
    const SOCKET socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(config.relay_port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (socket == INVALID_SOCKET || config.relay_port == 0 ||
        ::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        *error = "relay unreachable on port " + std::to_string(config.relay_port);
        if (socket != INVALID_SOCKET) ::closesocket(socket);
        return nullptr;
    }
    const BOOL no_delay = TRUE;
    ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&no_delay), sizeof no_delay);

    WNDCLASSW window_class{};
    window_class.lpfnWndProc = window_procedure;
    window_class.hInstance = ::GetModuleHandleW(nullptr);
    window_class.lpszClassName = kWindowClass;
    ::RegisterClassW(&window_class);
    auto* channel = new Channel(config);
    channel->socket_ = socket;
    channel->window_ = ::CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                         window_class.hInstance, nullptr);
    g_channel = channel;
    channel->reader_ = std::thread([channel] { channel->read_loop(); });
    channel->reader_.detach();
    return channel;
}

void Channel::send(const std::string& members, Reply reply) {
    std::string line = "{";
    if (reply) {
        const int id = ++next_id_;
        replies_[id] = std::move(reply);
        line += "\"id\":" + std::to_string(id) + ",";
    }
    line += members + "}\n";
    for (std::size_t sent = 0; sent < line.size();) {
        const int wrote = ::send(socket_, line.data() + sent, static_cast<int>(line.size() - sent), 0);
        if (wrote <= 0) return;
        sent += static_cast<std::size_t>(wrote);
    }
}

void Channel::post(std::function<void()> fn, int extra_delay_ms) {
    const int delay = config_.callback_delay_ms + extra_delay_ms;
    if (delay <= 0) {
        // One wake-up for a whole queue of callbacks, as the runtime delivers a page's
        // flood: a posted message each would swamp the thread's message queue.
        due_.push_back(std::move(fn));
        if (due_.size() == 1) ::PostMessageW(window_, kRunPosted, 0, 0);
        return;
    }
    const UINT_PTR id = next_timer_++;
    timers_[id] = std::move(fn);
    ::SetTimer(window_, id, static_cast<UINT>(delay), nullptr);
}

void Channel::set_sink(int view, EventSink sink) { sinks_[view] = std::move(sink); }
void Channel::drop_sink(int view) { sinks_.erase(view); }

void Channel::record(const std::string& text) { send("\"op\":\"record\",\"text\":" + quote(text)); }

void Channel::record_local(const Config& config, const std::string& text) {
    if (config.log.empty()) return;
    const HANDLE file = ::CreateFileW(config.log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    const std::string line = text + "\n";
    DWORD written = 0;
    ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    ::CloseHandle(file);
}

void Channel::read_loop() {
    std::string buffer;
    char chunk[65536];
    for (;;) {
        const int got = ::recv(socket_, chunk, sizeof chunk, 0);
        if (got <= 0) break;
        // Only the new bytes are searched: a line of megabytes arrives in many pieces.
        std::size_t searched = buffer.size();
        buffer.append(chunk, static_cast<std::size_t>(got));
        bool wake = false;
        // The parsed lines are dropped once per chunk: dropping each in turn would move the
        // rest of a flood's chunk for every one of its hundreds of lines.
        std::size_t start = 0;
        for (auto end = buffer.find('\n', searched); end != std::string::npos; end = buffer.find('\n', start)) {
            auto document = parse_line(buffer.data() + start, end - start);
            start = end + 1;
            if (!document) continue;
            std::lock_guard guard(lock_);
            lines_.push_back(std::move(document));
            wake = wake || !wake_pending_;
            wake_pending_ = true;
        }
        buffer.erase(0, start);
        // A page's 10 MB message must not keep its room here after it was handed on.
        if (buffer.empty() && buffer.capacity() > kKeptBuffer) std::string().swap(buffer);
        if (wake) ::PostMessageW(window_, kLinesArrived, 0, 0);
    }
    {
        std::lock_guard guard(lock_);
        constexpr std::string_view kDisconnected = R"({"ev":"disconnected"})";
        lines_.push_back(parse_line(kDisconnected.data(), kDisconnected.size()));
        wake_pending_ = true;
    }
    ::PostMessageW(window_, kLinesArrived, 0, 0);
}

void Channel::on_window_message(UINT message, WPARAM wparam) {
    if (message == kRunPosted) {
        // The clock is read every 16 callbacks, not for each: a page's flood brings tens of
        // thousands a second.
        const auto until = std::chrono::steady_clock::now() + kTimePerWake;
        for (std::size_t ran = 0; ran < kCallbacksPerWake && !due_.empty() &&
                                  (ran % 16 != 15 || std::chrono::steady_clock::now() < until);
             ++ran) {
            auto fn = std::move(due_.front());
            due_.pop_front();
            fn();
        }
        if (!due_.empty()) ::PostMessageW(window_, kRunPosted, 0, 0);
        return;
    }
    if (message == WM_TIMER) {
        ::KillTimer(window_, wparam);
        const auto found = timers_.find(wparam);
        if (found == timers_.end()) return;
        auto fn = std::move(found->second);
        timers_.erase(found);
        fn();
        return;
    }
    // The lines that arrived so far: a reader that keeps adding must not hold this thread.
    std::deque<std::shared_ptr<rapidjson::Document>> arrived;
    {
        std::lock_guard guard(lock_);
        arrived.swap(lines_);
        wake_pending_ = false;
    }
    for (const auto& document : arrived) dispatch(document);
}

void Channel::dispatch(const std::shared_ptr<rapidjson::Document>& document) {
    if (document->HasMember("re")) {
        const int id = (*document)["re"].GetInt();
        const auto found = replies_.find(id);
        if (found == replies_.end()) return;
        auto reply = std::move(found->second);
        replies_.erase(found);
        post([reply, document] { reply(*document); });
        return;
    }
    if (!document->HasMember("ev")) return;
    const std::string event = (*document)["ev"].GetString();
    if (event == "disconnected") {
        // The relay went away: as if the browser process ended.
        for (auto& [view, sink] : std::map(sinks_)) {
            auto copy = sink;
            post([copy] {
                rapidjson::Document failed;
                failed.Parse(R"({"ev":"processFailed","kind":"browser"})");
                copy(failed);
            });
        }
        return;
    }
    const int view = document->HasMember("view") ? (*document)["view"].GetInt() : 0;
    const auto sink = sinks_.find(view);
    if (sink == sinks_.end()) return;
    auto copy = sink->second;
    post([copy, document] { copy(*document); });
}

}  // namespace standin
