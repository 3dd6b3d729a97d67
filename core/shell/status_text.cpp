#include "core/shell/status_text.h"

#include <array>
#include <utility>

namespace core {
namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 3> kRefusals = {{
    {kBrowserSwitchesRefusal, kBrowserSwitchesStatus},
    {kBrowserPolicyRefusal, kBrowserPolicyStatus},
    {kProfileInUseRefusal, kProfileInUseStatus},
}};

}  // namespace

bool is_browser_refusal(const Error& error) {
    for (const auto& [refusal, status] : kRefusals) {
        if (error.message() == refusal) return true;
    }
    return false;
}

bool refusal_needs_restart(const Error& error) {
    return error.message() == kBrowserSwitchesRefusal || error.message() == kBrowserPolicyRefusal;
}

std::string_view status_text_for_error(const Error& error) {
    for (const auto& [refusal, status] : kRefusals) {
        if (error.message() == refusal) return status;
    }
    if (error.message().find("WebView2") != std::string::npos) return kWebView2FailureStatus;
    return kGenericFailureStatus;
}

}  // namespace core
