#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

#include "tools/wallpkg/preview/preview_session.h"

namespace wallpkg {

// Serves the author's folder on 127.0.0.1 until the process ends:
//   http://wlp.localhost:PORT/  the page, through the player's asset handler, with the
//                               player's bridge injected (Chromium resolves *.localhost
//                               to the loopback address by itself);
//   http://127.0.0.1:PORT/      the control strip.
// Any other Host is refused, so a page elsewhere cannot reach the preview by rebinding a
// name to 127.0.0.1. Returns the exit code.
int run_preview_server(PreviewSession& session, std::uint16_t port, std::ostream& out, std::ostream& err);

}  // namespace wallpkg
