#include "tools/wallpkg/preview/page_script.h"

#include <cctype>

#include "core/web/bridge_script.h"
#include "core/web/pacing_script.h"
#include "tools/wallpkg/preview/page_report.h"

namespace wallpkg {
namespace {

// Captured before the page's scripts run, so a page that replaces fetch or setTimeout
// does not break the channel. Messages are posted one after the other: the player's rule
// depends on their order ("ready" then "asset-error" is not "asset-error" then "ready").
constexpr std::string_view kChannelScript = R"js(const tessaryFetch = window.fetch.bind(window);
const tessaryTimeout = window.setTimeout.bind(window);
let tessaryPosted = Promise.resolve();
Object.defineProperty(window.chrome || (window.chrome = {}), 'webview', { value: Object.freeze({ postMessage: s => {
  const body = String(s);
  // A keepalive request may carry at most 64 KiB; a bigger message must still arrive to be
  // charged against the page's budget.
  const keepalive = body.length < 16384;
  tessaryPosted = tessaryPosted.then(() => tessaryFetch('@MESSAGE@', { method: 'POST', body, keepalive })).catch(() => {});
} }) });
// What goes wrong in the page, told to the author with its reason: policy violations,
// uncaught errors and rejections, and resources that fail. Posted beside the player's
// channel, which a broken page must not spend.
const tessaryReport = (...fields) => {
  const body = fields.map(field => String(field ?? '').replace(/[\r\n]+/g, ' ')).join('\n');
  tessaryFetch('@REPORT@', { method: 'POST', body, keepalive: true }).catch(() => {});
};
window.addEventListener('securitypolicyviolation', e => tessaryReport('csp', e.effectiveDirective || e.violatedDirective,
  e.blockedURI, e.sourceFile, e.lineNumber, ''), true);
window.addEventListener('error', e => {
  const target = e.target;
  if (target !== window && target && target.tagName) {
    tessaryReport('resource', target.tagName.toLowerCase(), target.currentSrc || target.src || target.href || '', '', 0, '');
  } else {
    tessaryReport('error', '', '', e.filename, e.lineno, (e.error && e.error.stack) || e.message);
  }
}, true);
window.addEventListener('unhandledrejection', e => tessaryReport('rejection', '', '', '', 0,
  (e.reason && e.reason.stack) || String(e.reason)));
)js";

// The player evaluates "window.__tessaryDispatch(...)" in the page; under the page's
// policy nothing may evaluate text, so the poll calls the same function with the parsed
// detail instead.
constexpr std::string_view kPollScript = R"js((async () => {
  let after = 0;
  for (;;) {
    let response;
    try {
      response = await tessaryFetch('@EVENTS@' + after, { cache: 'no-store' });
    } catch (error) {
      await new Promise(resolve => tessaryTimeout(resolve, 1000));
      continue;
    }
    if (response.status === 410) return;
    if (!response.ok) { await new Promise(resolve => tessaryTimeout(resolve, 1000)); continue; }
    for (const { sequence, event, detail } of await response.json()) {
      after = sequence;
      if (event === '.reload') { window.location.reload(); return; }
      window.__tessaryDispatch(event, detail);
    }
  }
})();
)js";

std::string replace_all(std::string text, std::string_view marker, std::string_view value) {
    for (std::size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at + value.size())) {
        text.replace(at, marker.size(), value);
    }
    return text;
}

bool starts_with_no_case(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
    }
    return true;
}

}  // namespace

std::string preview_page_script(std::uint64_t document) {
    const std::string query = "?document=" + std::to_string(document);
    std::string script = replace_all(std::string(kChannelScript), "@MESSAGE@", std::string(kPageMessagePath) + query);
    script = replace_all(script, "@REPORT@", std::string(kPageReportPath) + query);
    script += core::kIpcShimScript;
    script += "\n";
    script += core::kBridgeScript;
    script += core::kPacingScript;
    script += replace_all(std::string(kPollScript), "@EVENTS@", std::string(kPageEventsPath) + query + "&after=");
    return core::main_frame_only(script);
}

std::string inject_page_script(std::string_view html, std::uint64_t document) {
    const std::string element =
        "<script src=\"" + std::string(kPageScriptPath) + "?document=" + std::to_string(document) + "\"></script>";
    std::size_t at = html.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    std::size_t text = at;
    while (text < html.size() && std::isspace(static_cast<unsigned char>(html[text]))) ++text;
    if (starts_with_no_case(html.substr(text), "<!doctype")) {
        const std::size_t end = html.find('>', text);
        if (end != std::string_view::npos) at = end + 1;
    }
    std::string result(html.substr(0, at));
    result += element;
    result += html.substr(at);
    return result;
}

}  // namespace wallpkg
