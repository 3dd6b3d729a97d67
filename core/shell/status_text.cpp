#include "core/shell/status_text.h"

namespace core {

std::string_view status_text_for_error(const Error& error) {
    if (error.message() == kBrowserSwitchesRefusal) return kBrowserSwitchesStatus;
    if (error.message().find("WebView2") != std::string::npos) return kWebView2FailureStatus;
    return kGenericFailureStatus;
}

}  // namespace core
