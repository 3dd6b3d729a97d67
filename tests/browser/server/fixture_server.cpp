// Serves a fixture wallpaper folder on a loopback port for the browser tests:
//   wlp.localhost   every request through core::handle_asset_request, as the player does;
//   other.test      a foreign origin whose script, data and frame the policy must block;
//   127.0.0.1       controls: the player's dispatch script and its readiness rule.
// Prints one JSON line first (port and the document-creation scripts exactly as the
// player installs them), then one line per refusal the player would log.
#include <httplib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <mutex>
#include <sstream>
#include <string>

#include "core/content/asset_map.h"
#include "core/json/json_writer.h"
#include "core/web/asset_protocol.h"
#include "core/web/bridge_script.h"
#include "core/web/dispatch_script.h"
#include "core/web/pacing_script.h"
#include "core/web/page_message.h"
#include "core/web/player_state.h"
#include "core/web/readiness.h"

namespace {

namespace fs = std::filesystem;

core::AssetMap read_fixture(const fs::path& root) {
    core::AssetMap assets;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream file(entry.path(), std::ios::binary);
        core::Bytes bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        assets.emplace(entry.path().lexically_relative(root).generic_string(), std::move(bytes));
    }
    return assets;
}

std::string host_of(const httplib::Request& request) {
    std::string host = request.get_header_value("Host");
    return host.substr(0, host.find(':'));
}

void serve_asset(const core::AssetMap& assets, const httplib::Request& request, httplib::Response& response,
                 std::mutex& output) {
    const core::AssetResponse answer =
        core::handle_asset_request("http://" + request.get_header_value("Host") + request.target, assets);
    response.status = answer.status;
    std::string content_type;
    for (const core::HttpHeader& header : answer.headers()) {
        // The server writes its own Content-Length and takes the type with the body.
        if (header.name == "Content-Type") {
            content_type = header.value;
        } else if (header.name != "Content-Length") {
            response.set_header(std::string(header.name), std::string(header.value));
        }
    }
    response.set_content(std::string(answer.body.begin(), answer.body.end()), content_type);
    if (answer.refusal) {
        const std::lock_guard lock(output);
        std::cout << "refused " << core::json_quote(answer.refusal->log_line) << std::endl;
    }
}

void serve_foreign(const httplib::Request& request, httplib::Response& response) {
    response.set_header("Access-Control-Allow-Origin", "*");
    if (request.path == "/evil.js") {
        response.set_content("window.evilRan = true;", "text/javascript");
    } else if (request.path == "/data.json") {
        response.set_content("{\"foreign\":true}", "application/json");
    } else if (request.path == "/frame.html") {
        response.set_content("<p id=\"foreign\">foreign frame</p>", "text/html");
    } else {
        response.status = 404;
    }
}

// /dispatch?paused=true&fps=60: the script the player evaluates to push that state.
// /readiness?elapsed_ms=N&messages=ready,asset-error: the player's view after the page
// posted those messages and N milliseconds passed since the load started.
void serve_control(const httplib::Request& request, httplib::Response& response) {
    if (request.path == "/dispatch") {
        const core::PlayerState state{.fps = static_cast<std::uint32_t>(std::stoul(request.get_param_value("fps"))),
                                      .paused = request.get_param_value("paused") == "true"};
        response.set_content(core::build_dispatch_script(core::kStateEvent, core::player_state_json(state)),
                             "text/plain");
    } else if (request.path == "/readiness") {
        core::BridgeFlags flags;
        std::stringstream messages(request.get_param_value("messages"));
        for (std::string message; std::getline(messages, message, ',');) core::apply_page_message(message, flags);
        const core::MonotonicTime start{};
        std::optional<core::MonotonicTime> load_start = start;
        const bool fired = core::check_readiness_limit(
            load_start, flags, start + std::chrono::milliseconds(std::stoll(request.get_param_value("elapsed_ms"))));
        response.set_content(std::string("{\"fired\":") + (fired ? "true" : "false") +
                                 ",\"ready\":" + (flags.ready ? "true" : "false") +
                                 ",\"failed\":" + (flags.failed ? "true" : "false") + "}",
                             "application/json");
    } else {
        response.status = 404;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: browser_fixture_server <fixture folder>\n";
        return 2;
    }
    const core::AssetMap assets = read_fixture(argv[1]);
    std::mutex output;
    httplib::Server server;
    const auto route = [&](const httplib::Request& request, httplib::Response& response) {
        const std::string host = host_of(request);
        if (host == "other.test") {
            serve_foreign(request, response);
        } else if (host == "127.0.0.1") {
            serve_control(request, response);
        } else {
            serve_asset(assets, request, response, output);
        }
    };
    server.Get(".*", route);
    server.Post(".*", route);

    const int port = server.bind_to_any_port("127.0.0.1");
    if (port <= 0) {
        std::cerr << "cannot bind a loopback port\n";
        return 1;
    }
    {
        const std::lock_guard lock(output);
        std::cout << "{\"port\":" << port << ",\"shim\":" << core::json_quote(core::main_frame_only(core::kIpcShimScript))
                  << ",\"bridge\":" << core::json_quote(core::main_frame_only(core::kBridgeScript))
                  << ",\"pacing\":" << core::json_quote(core::main_frame_only(core::kPacingScript)) << "}" << std::endl;
    }
    return server.listen_after_bind() ? 0 : 1;
}
