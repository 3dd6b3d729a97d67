#pragma once

#include <WebView2.h>

#include "core/error/error.h"
#include "player/windows/webview2/webview2_view.h"

namespace player::webview2 {

// Refuses, without asking anybody, what a page can ask of the browser beyond its own
// files: opening another program through a protocol link, capturing the screen, a login
// or client certificate for a site, and going on past a bad server certificate. Events a
// runtime does not offer yet are noted and gone without: that runtime decides alone.
core::Status refuse_outside_requests(ICoreWebView2& webview, const NoteOnce& note);

}  // namespace player::webview2
