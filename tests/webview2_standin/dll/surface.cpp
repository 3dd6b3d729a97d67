#include "surface.h"

#include <wincodec.h>
#include <windowsx.h>

#include <array>
#include <cstring>
#include <optional>
#include <utility>

#include "com.h"

namespace standin {
namespace {

constexpr const wchar_t* kSurfaceClass = standin_frame::kViewClass;
constexpr UINT kFrameDecoded = WM_APP + 1;

LRESULT CALLBACK surface_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* surface = reinterpret_cast<Surface*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (surface == nullptr) return ::DefWindowProcW(window, message, wparam, lparam);
    return surface->on_message(window, message, wparam, lparam);
}

void register_class() {
    static const bool registered = [] {
        WNDCLASSW window_class{};
        window_class.lpfnWndProc = surface_procedure;
        window_class.hInstance = ::GetModuleHandleW(nullptr);
        window_class.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
        window_class.lpszClassName = kSurfaceClass;
        return ::RegisterClassW(&window_class) != 0;
    }();
    (void)registered;
}

// The frame's bytes. Decoded here rather than by crypt32, which the program's process
// would otherwise load at start for every benchmark that uses the stand-in.
std::optional<std::string> from_base64(const std::string& text) {
    static const auto values = [] {
        std::array<signed char, 256> table{};
        table.fill(-1);
        constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        for (int i = 0; i < 64; ++i) table[static_cast<unsigned char>(kAlphabet[i])] = static_cast<signed char>(i);
        return table;
    }();
    std::string bytes;
    bytes.reserve(text.size() / 4 * 3);
    std::uint32_t bits = 0;
    int count = 0;
    for (const char c : text) {
        if (c == '=') break;
        const int value = values[static_cast<unsigned char>(c)];
        if (value < 0) return std::nullopt;
        bits = (bits << 6) | static_cast<std::uint32_t>(value);
        if (++count == 4) {
            bytes.push_back(static_cast<char>(bits >> 16));
            bytes.push_back(static_cast<char>(bits >> 8));
            bytes.push_back(static_cast<char>(bits));
            bits = 0;
            count = 0;
        }
    }
    if (count == 3) {
        bytes.push_back(static_cast<char>(bits >> 10));
        bytes.push_back(static_cast<char>(bits >> 2));
    } else if (count == 2) {
        bytes.push_back(static_cast<char>(bits >> 4));
    }
    return bytes;
}

// A JPEG or PNG frame as top-down BGRA pixels, through the system's imaging component.
bool decode_image(IWICImagingFactory* factory, const std::string& bytes, std::vector<std::uint32_t>& pixels,
                  int& width, int& height) {
    IWICStream* raw_stream = nullptr;
    if (FAILED(factory->CreateStream(&raw_stream))) return false;
    const auto stream = Ref<IWICStream>::adopt(raw_stream);
    if (FAILED(stream->InitializeFromMemory(reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data())),
                                            static_cast<DWORD>(bytes.size())))) {
        return false;
    }
    IWICBitmapDecoder* raw_decoder = nullptr;
    if (FAILED(factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand, &raw_decoder))) {
        return false;
    }
    const auto decoder = Ref<IWICBitmapDecoder>::adopt(raw_decoder);
    IWICBitmapFrameDecode* raw_frame = nullptr;
    if (FAILED(decoder->GetFrame(0, &raw_frame))) return false;
    const auto frame = Ref<IWICBitmapFrameDecode>::adopt(raw_frame);
    IWICFormatConverter* raw_converter = nullptr;
    if (FAILED(factory->CreateFormatConverter(&raw_converter))) return false;
    const auto converter = Ref<IWICFormatConverter>::adopt(raw_converter);
    if (FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0,
                                     WICBitmapPaletteTypeCustom))) {
        return false;
    }
    UINT w = 0, h = 0;
    if (FAILED(converter->GetSize(&w, &h)) || w == 0 || h == 0) return false;
    pixels.resize(static_cast<std::size_t>(w) * h);
    if (FAILED(converter->CopyPixels(nullptr, w * 4, w * h * 4, reinterpret_cast<BYTE*>(pixels.data())))) return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

int width_of(const RECT& rect) { return rect.right - rect.left; }
int height_of(const RECT& rect) { return rect.bottom - rect.top; }

}  // namespace

std::shared_ptr<Surface> Surface::create(Channel& channel, HWND parent, int view) {
    if (!channel.config().paint) return nullptr;
    register_class();
    std::shared_ptr<Surface> surface(new Surface(channel, view));
    surface->window_ = ::CreateWindowExW(WS_EX_NOPARENTNOTIFY, kSurfaceClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                                         0, 0, 0, 0, parent, nullptr, ::GetModuleHandleW(nullptr), surface.get());
    if (surface->window_ == nullptr) return nullptr;
    surface->shared_mapping_ = ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                                    static_cast<DWORD>(standin_frame::kSize),
                                                    standin_frame::name(surface->window_).c_str());
    if (surface->shared_mapping_ != nullptr) {
        surface->shared_ = static_cast<standin_frame::Header*>(
            ::MapViewOfFile(surface->shared_mapping_, FILE_MAP_WRITE, 0, 0, standin_frame::kSize));
    }
    surface->share_background();
    surface->decoder_ = std::thread([raw = surface.get()] { raw->decode_loop(); });
    return surface;
}

Surface::~Surface() { close(); }

void Surface::close() {
    if (decoder_.joinable()) {
        {
            std::lock_guard guard(lock_);
            stopping_ = true;
        }
        wake_.notify_all();
        decoder_.join();
    }
    if (shared_ != nullptr) ::UnmapViewOfFile(shared_);
    if (shared_mapping_ != nullptr) ::CloseHandle(shared_mapping_);
    shared_ = nullptr;
    shared_mapping_ = nullptr;
    if (window_ != nullptr) {
        ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        ::DestroyWindow(window_);
        window_ = nullptr;
    }
}

bool Surface::on_event(const rapidjson::Value& event) {
    const auto kind = event.FindMember("ev");
    if (kind != event.MemberEnd() && kind->value == "blank") {
        // A navigation started: the default background until the new document paints.
        {
            std::lock_guard guard(lock_);
            shown_ = Frame{};
        }
        {
            std::lock_guard guard(share_lock_);
            page_shared_ = false;
        }
        share_background();
        ::InvalidateRect(window_, nullptr, FALSE);
        return true;
    }
    if (kind == event.MemberEnd() || kind->value != "frame") return false;
    const auto data = event.FindMember("data");
    const auto frame = event.FindMember("frame");
    if (data == event.MemberEnd() || !data->value.IsString() || frame == event.MemberEnd() || !frame->value.IsInt()) {
        return true;
    }
    {
        std::lock_guard guard(lock_);
        // A frame still waiting is replaced by the newer one; it counts as shown.
        if (!encoded_.empty()) unanswered_.push_back(pending_frame_);
        encoded_.assign(data->value.GetString(), data->value.GetStringLength());
        pending_frame_ = frame->value.GetInt();
    }
    wake_.notify_one();
    return true;
}

// Frames are decoded here, off the UI thread, as the runtime composes them in its own
// processes; the window only copies the newest one.
void Surface::decode_loop() {
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    IWICImagingFactory* raw_factory = nullptr;
    ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&raw_factory));
    const auto factory = Ref<IWICImagingFactory>::adopt(raw_factory);
    Frame decoded;
    for (;;) {
        std::string encoded;
        int number = 0;
        {
            std::unique_lock guard(lock_);
            wake_.wait(guard, [&] { return stopping_ || !encoded_.empty(); });
            if (stopping_) break;
            encoded.swap(encoded_);
            number = pending_frame_;
        }
        const auto bytes = from_base64(encoded);
        const bool ok = factory && bytes && decode_image(factory.get(), *bytes, decoded.pixels, decoded.width, decoded.height);
        if (ok) share(decoded.pixels, decoded.width, decoded.height);
        {
            std::lock_guard guard(lock_);
            if (ok) std::swap(shown_, decoded);
            unanswered_.push_back(number);
        }
        ::PostMessageW(window_, kFrameDecoded, 0, 0);
    }
    if (SUCCEEDED(com)) ::CoUninitialize();
}

// Only while the window sits inside another process's window (Explorer's, on the desktop);
// the page's first frame ends the default background there in any case.
void Surface::share(const std::vector<std::uint32_t>& pixels, int width, int height) {
    DWORD owner = 0;
    ::GetWindowThreadProcessId(::GetAncestor(window_, GA_ROOT), &owner);
    const bool on_desktop = owner != ::GetCurrentProcessId() && width <= standin_frame::kMaxWidth &&
                            height <= standin_frame::kMaxHeight;
    std::lock_guard guard(share_lock_);
    if (shared_ == nullptr || (!on_desktop && page_shared_)) return;
    page_shared_ = true;
    ::InterlockedIncrement(&shared_->sequence);
    shared_->width = on_desktop ? width : 0;
    shared_->height = on_desktop ? height : 0;
    if (on_desktop) std::memcpy(shared_ + 1, pixels.data(), pixels.size() * sizeof(std::uint32_t));
    ::InterlockedIncrement(&shared_->sequence);
}

// Until the page's first frame the view shows its default background, on the desktop too:
// one pixel of it (none when transparent, where what lies behind shows through).
void Surface::share_background() {
    std::lock_guard guard(share_lock_);
    if (shared_ == nullptr || page_shared_) return;
    ::InterlockedIncrement(&shared_->sequence);
    const bool opaque = background_.A == 255;
    shared_->width = opaque ? 1 : 0;
    shared_->height = opaque ? 1 : 0;
    *reinterpret_cast<std::uint32_t*>(shared_ + 1) =
        0xFF000000u | (std::uint32_t{background_.R} << 16) | (std::uint32_t{background_.G} << 8) | background_.B;
    ::InterlockedIncrement(&shared_->sequence);
}

void Surface::set_background(COREWEBVIEW2_COLOR color) {
    background_ = color;
    share_background();
    ::InvalidateRect(window_, nullptr, FALSE);
}

// On the UI thread: the newest frame is drawn, then every frame received so far is
// acknowledged, so the browser sends the next one only once this one was shown.
void Surface::show_decoded() {
    ::InvalidateRect(window_, nullptr, FALSE);
    ::UpdateWindow(window_);
    std::vector<int> answered;
    {
        std::lock_guard guard(lock_);
        answered.swap(unanswered_);
    }
    for (const int number : answered) {
        channel_.send("\"op\":\"frameShown\",\"view\":" + std::to_string(view_) + ",\"frame\":" + std::to_string(number));
    }
}

void Surface::paint() {
    PAINTSTRUCT paint{};
    const HDC dc = ::BeginPaint(window_, &paint);
    RECT client{};
    ::GetClientRect(window_, &client);
    {
        std::lock_guard guard(lock_);
        if (shown_.width > 0) {
            ::SetStretchBltMode(dc, COLORONCOLOR);
            standin_frame::draw_pixels(dc, client, shown_.width, shown_.height, shown_.pixels.data());
        } else if (background_.A == 255) {
            // Before its first frame the view shows its default background.
            const HBRUSH brush = ::CreateSolidBrush(RGB(background_.R, background_.G, background_.B));
            ::FillRect(dc, &client, brush);
            ::DeleteObject(brush);
        }
    }
    ::EndPaint(window_, &paint);
}

// Client coordinates scaled to the page's viewport (the bounds), in CSS pixels at a
// device scale factor of 1.
void Surface::send_mouse(const char* type, LPARAM position, const char* button, WPARAM keys, int delta) {
    RECT client{};
    ::GetClientRect(window_, &client);
    if (client.right <= 0 || client.bottom <= 0) return;
    const int x = GET_X_LPARAM(position) * width_of(bounds_) / client.right;
    const int y = GET_Y_LPARAM(position) * height_of(bounds_) / client.bottom;
    const int buttons = ((keys & MK_LBUTTON) ? 1 : 0) | ((keys & MK_RBUTTON) ? 2 : 0) | ((keys & MK_MBUTTON) ? 4 : 0);
    const std::string point = std::to_string(x) + "," + std::to_string(y);
    if (std::string(type) != "mouseMoved" && std::string(type) != "mouseWheel") {
        channel_.record(std::string("input ") + type + " " + button + " " + point);
    }
    channel_.send("\"op\":\"mouse\",\"view\":" + std::to_string(view_) + ",\"type\":\"" + type + "\",\"x\":" +
                  std::to_string(x) + ",\"y\":" + std::to_string(y) + ",\"button\":\"" + button +
                  "\",\"buttons\":" + std::to_string(buttons) + ",\"deltaY\":" + std::to_string(delta));
}

LRESULT Surface::on_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    // Messages of the creation itself arrive before the handle is known.
    if (window_ == nullptr) return ::DefWindowProcW(window, message, wparam, lparam);
    switch (message) {
        case kFrameDecoded:
            show_decoded();
            return 0;
        case WM_PAINT:
            paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_MOUSEMOVE: {
            const POINT at{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
            // Windows repeats a move without motion when a window appears under the pointer.
            if (at.x == last_move_.x && at.y == last_move_.y) return 0;
            last_move_ = at;
            send_mouse("mouseMoved", lparam, "none", wparam);
            return 0;
        }
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            ::SetCapture(window_);
            send_mouse("mousePressed", lparam,
                       message == WM_LBUTTONDOWN ? "left" : message == WM_RBUTTONDOWN ? "right" : "middle", wparam);
            return 0;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            if ((wparam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0) ::ReleaseCapture();
            send_mouse("mouseReleased", lparam,
                       message == WM_LBUTTONUP ? "left" : message == WM_RBUTTONUP ? "right" : "middle", wparam);
            return 0;
        case WM_MOUSEWHEEL: {
            // The wheel's position is in screen coordinates.
            POINT at{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
            ::ScreenToClient(window_, &at);
            send_mouse("mouseWheel", MAKELPARAM(at.x, at.y), "none", GET_KEYSTATE_WPARAM(wparam),
                       -GET_WHEEL_DELTA_WPARAM(wparam));
            return 0;
        }
        default:
            return ::DefWindowProcW(window, message, wparam, lparam);
    }
}

// Frames of the window's size while it is shown; none while hidden. The program repeats
// its bounds freely: the screencast restarts only when they changed.
void Surface::ask_for_frames() {
    const bool wanted = visible_ && width_of(bounds_) > 0 && height_of(bounds_) > 0;
    const SIZE size{wanted ? width_of(bounds_) : 0, wanted ? height_of(bounds_) : 0};
    if (size.cx == asked_.cx && size.cy == asked_.cy) return;
    asked_ = size;
    channel_.send("\"op\":\"screencast\",\"view\":" + std::to_string(view_) + ",\"width\":" +
                  std::to_string(size.cx) + ",\"height\":" + std::to_string(size.cy));
}

void Surface::set_bounds(const RECT& bounds) {
    bounds_ = bounds;
    ::SetWindowPos(window_, nullptr, bounds.left, bounds.top, width_of(bounds), height_of(bounds),
                   SWP_NOZORDER | SWP_NOACTIVATE);
    ask_for_frames();
}

void Surface::set_visible(bool visible) {
    visible_ = visible;
    ::ShowWindow(window_, visible ? SW_SHOWNA : SW_HIDE);
    ask_for_frames();
}

void Surface::set_parent(HWND parent) { ::SetParent(window_, parent); }

}  // namespace standin
