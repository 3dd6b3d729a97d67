#pragma once

#include <string>
#include <string_view>

namespace core {

// The page's private origin. The canonical form is what the player navigates to; the
// WebView serves it under an ordinary HTTP origin, which is the form the page sees.
inline constexpr std::string_view kCanonicalAssetPrefix = "wlp://localhost/";
inline constexpr std::string_view kWebViewAssetPrefix = "http://wlp.localhost/";

// "wlp://localhost/" followed by the manifest entry exactly as written.
std::string start_url(std::string_view entry);

// The WebView2 form of a canonical URL; any other URL is returned unchanged.
std::string webview_url(std::string_view url);

// True exactly when the URL begins with one of the two prefixes above (byte-wise, case
// matters). The WebView cancels every other navigation.
bool is_allowed_navigation(std::string_view url);

}  // namespace core
