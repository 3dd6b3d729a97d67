#include "tools/wallpkg/preview/preview_server.h"

#include <httplib.h>

#include <sys/socket.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <ostream>
#include <thread>

#include "core/content/frame_rate.h"
#include "core/json/json_writer.h"
#include "tools/wallpkg/commands.h"
#include "tools/wallpkg/preview/control_page.h"
#include "tools/wallpkg/preview/page_report.h"
#include "tools/wallpkg/preview/page_script.h"

namespace wallpkg {
namespace {

using namespace std::chrono_literals;

constexpr std::string_view kLoopback = "127.0.0.1";
constexpr std::string_view kPageHost = "wlp.localhost";
// Long polls return at least this often, so a closed tab frees its thread soon.
constexpr auto kPollTimeout = 20s;
// Often enough for the 15-second limit; commands and messages push the state at once.
constexpr auto kTickInterval = 100ms;
// Every open page and control tab holds a thread in its long poll.
constexpr std::size_t kServerThreads = 32;
// A page's body is held whole before anything looks at it. No message the budget lets
// through is longer (UTF-8 takes at most three bytes per UTF-16 unit), and no report
// comes near it; a longer body is skipped unread.
constexpr std::size_t kLongestPageBody = 4 << 20;

std::string host_of(const httplib::Request& request) {
    const std::string host = request.get_header_value("Host");
    return host.substr(0, host.rfind(':'));
}

template <typename Number>
std::optional<Number> number_param(const httplib::Request& request, const char* name) {
    const std::string text = request.get_param_value(name);
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

void refuse(httplib::Response& response, int status, std::string_view why) {
    response.status = status;
    response.set_header("Cache-Control", "no-store, max-age=0");
    response.set_content(std::string(why) + "\n", "text/plain; charset=utf-8");
}

// The page's answer exactly as the player gives it: status, the handler's headers in
// order, the body; documents get the page script placed first.
void serve_page_asset(PreviewSession& session, const httplib::Request& request, httplib::Response& response) {
    const bool document = request.get_header_value("Sec-Fetch-Dest") == "document";
    std::uint64_t number = 0;
    if (document) {
        // Every load of a page verifies the folder again, as the player does before it plays.
        if (auto loaded = session.reload(); !loaded) {
            refuse(response, 500, "error: " + loaded.error().chain());
            return;
        }
        number = session.begin_document(PreviewSession::Clock::now());
    }
    core::AssetResponse answer = session.serve("http://" + request.get_header_value("Host") + request.target);
    response.status = answer.status;
    std::string content_type;
    for (const core::HttpHeader& header : answer.headers()) {
        // The server writes Content-Length itself, from the body it sends.
        if (header.name == "Content-Type") {
            content_type = header.value;
        } else if (header.name != "Content-Length") {
            response.set_header(std::string(header.name), std::string(header.value));
        }
    }
    std::string body(answer.body.begin(), answer.body.end());
    if (document && answer.status == core::kHttpOk && content_type.starts_with("text/html")) {
        body = inject_page_script(body, number);
    }
    response.set_content(std::move(body), content_type);
}

void serve_page_channel(PreviewSession& session, const httplib::Request& request, httplib::Response& response) {
    const auto document = number_param<std::uint64_t>(request, "document");
    if (!document) return refuse(response, 400, "document missing");
    if (request.path == kPageScriptPath && request.method == "GET") {
        response.set_header("Cache-Control", "no-store, max-age=0");
        response.set_header("X-Content-Type-Options", "nosniff");
        response.set_content(preview_page_script(*document), "text/javascript; charset=utf-8");
    } else if (request.path == kPageMessagePath && request.method == "POST") {
        session.page_message(*document, request.body);
        response.status = 204;
    } else if (request.path == kPageReportPath && request.method == "POST") {
        session.page_report(*document, request.body);
        response.status = 204;
    } else if (request.path == kPageEventsPath && request.method == "GET") {
        const PagePoll poll = session.poll_page(*document, number_param<std::uint64_t>(request, "after").value_or(0),
                                                kPollTimeout);
        if (poll.gone) return refuse(response, 410, "a newer page has taken over");
        std::string json = "[";
        for (const PageEvent& event : poll.events) {
            if (json.size() > 1) json += ",";
            json += "{\"sequence\":" + std::to_string(event.sequence) + ",\"event\":" + core::json_quote(event.name) +
                    ",\"detail\":" + event.detail_json + "}";
        }
        json += "]";
        response.set_header("Cache-Control", "no-store, max-age=0");
        response.set_content(json, "application/json");
    } else {
        refuse(response, 404, "not found");
    }
}

void serve_control(PreviewSession& session, const httplib::Request& request, httplib::Response& response) {
    response.set_header("Cache-Control", "no-store, max-age=0");
    response.set_header("X-Content-Type-Options", "nosniff");
    if (request.method == "GET") {
        response.set_header("Content-Security-Policy", std::string(kControlPolicy));
        if (request.path == "/") return response.set_content(std::string(kControlHtml), "text/html; charset=utf-8");
        if (request.path == "/control.js") {
            return response.set_content(std::string(kControlJs), "text/javascript; charset=utf-8");
        }
        if (request.path == "/control.css") return response.set_content(std::string(kControlCss), "text/css; charset=utf-8");
        if (request.path == "/api/status") {
            const auto after = number_param<std::uint64_t>(request, "after").value_or(0);
            return response.set_content(session.poll_status(after, kPollTimeout, PreviewSession::Clock::now()),
                                        "application/json");
        }
        return refuse(response, 404, "not found");
    }
    if (request.get_header_value("X-Tessary-Preview") != "1") return refuse(response, 403, "not from the control page");
    if (request.path == "/api/pause") {
        session.set_paused(true);
    } else if (request.path == "/api/resume") {
        session.set_paused(false);
    } else if (request.path == "/api/fps") {
        const auto fps = number_param<std::uint32_t>(request, "value");
        if (!fps || !core::is_supported_fps(*fps)) return refuse(response, 400, core::kUnsupportedFpsMessage);
        session.set_fps(*fps);
    } else if (request.path == "/api/click") {
        const auto x = number_param<double>(request, "x");
        const auto y = number_param<double>(request, "y");
        if (!x || !y || *x < 0 || *x >= 1 || *y < 0 || *y >= 1) return refuse(response, 400, "x and y must be in [0, 1)");
        session.click(*x, *y);
    } else if (request.path == "/api/reload") {
        session.request_reload();
    } else {
        return refuse(response, 404, "not found");
    }
    response.status = 204;
}

}  // namespace

int run_preview_server(PreviewSession& session, std::uint16_t port, std::ostream& out, std::ostream& err) {
    httplib::Server server;
    server.new_task_queue = [] { return new httplib::ThreadPool(kServerThreads); };
    const auto route = [&](const httplib::Request& request, httplib::Response& response) {
        const std::string host = host_of(request);
        if (host == kPageHost) {
            if (request.path.starts_with(kPreviewPathPrefix)) return serve_page_channel(session, request, response);
            return serve_page_asset(session, request, response);
        }
        if (host == kLoopback || host == "localhost") return serve_control(session, request, response);
        refuse(response, 421, "unknown host");
    };
    // httplib's default also sets SO_REUSEPORT, with which a second preview could listen on
    // the same port and take every other request; a port in use must be refused.
    server.set_socket_options([](socket_t socket) {
        const int yes = 1;
        ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
    });
    server.Get(".*", route);
    server.Post(".*", route);
    server.set_payload_max_length(kLongestPageBody);
    server.set_error_handler([&](const httplib::Request& request, httplib::Response& response) {
        if (response.status != 413 || host_of(request) != kPageHost || request.path != kPageMessagePath) return;
        if (const auto document = number_param<std::uint64_t>(request, "document")) {
            session.page_message_unread(*document);
        }
    });

    // Loopback only, always: the preview serves an unpublished folder and takes commands.
    errno = 0;
    const int bound_port = port == 0 ? server.bind_to_any_port(std::string(kLoopback))
                                     : (server.bind_to_port(std::string(kLoopback), port) ? port : -1);
    if (bound_port <= 0) {
        const int code = errno;
        err << "error: cannot listen on " << kLoopback << ":" << port << ": "
            << (code == EADDRINUSE ? "the port is in use (another preview?); name another with --port, or leave "
                                     "--port out for a free one"
                                   : std::string(code != 0 ? std::strerror(code) : "the system refused it"))
            << '\n';
        return kExitFailure;
    }
    out << "preview " << session.id().value_or("") << ": http://" << kPageHost << ":" << bound_port << "/"
        << session.entry().value_or("") << '\n'
        << "controls: http://" << kLoopback << ":" << bound_port << "/" << std::endl;

    std::atomic<bool> stopping = false;
    std::thread ticker([&] {
        while (!stopping) {
            session.tick(PreviewSession::Clock::now());
            std::this_thread::sleep_for(kTickInterval);
        }
    });
    const bool listened = server.listen_after_bind();
    stopping = true;
    session.shut_down();
    ticker.join();
    if (!listened) {
        err << "error: the preview server stopped\n";
        return kExitFailure;
    }
    return kExitOk;
}

}  // namespace wallpkg
