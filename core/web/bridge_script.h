#pragma once

#include <string>
#include <string_view>

namespace core {

// Gives the page a frozen window.ipc whose postMessage passes a string to the host. The
// bridge script below relies on it, so it must run first.
inline constexpr std::string_view kIpcShimScript =
    R"js(Object.defineProperty(window, 'ipc', { value: Object.freeze({ postMessage: s => window.chrome.webview.postMessage(s) }) });)js";

// The page side of the bridge: window.wallpaper, window.__tessaryDispatch and the
// suppressed browser gestures. Installed before any script of the page runs.
inline constexpr std::string_view kBridgeScript = R"js((() => {
  const handlers = new Map();
  let state = {paused:false,fps:30,volume:0};
  let deferred = false;
  let failed = false;
  let reported = false;
  const reportReady = () => {
    if (!failed && !reported) {
      reported = true;
      window.ipc.postMessage('ready');
    }
  };
  const reportFailure = () => {
    if (!failed) {
      failed = true;
      window.ipc.postMessage('asset-error');
    }
  };
  Object.defineProperty(window, 'wallpaper', {value: Object.freeze({
    get state(){ return Object.freeze({...state}); },
    // Async scenes opt in before window.load and confirm their first usable frame.
    deferReady(){ deferred = true; },
    ready: reportReady,
    failed: reportFailure,
    on(event, handler){
      if (typeof handler !== 'function') return () => {};
      if (!handlers.has(event)) handlers.set(event, new Set());
      handlers.get(event).add(handler);
      return () => handlers.get(event)?.delete(handler);
    }
  }), writable:false});
  Object.defineProperty(window, '__tessaryDispatch', {value:(event, detail) => {
    if (event === 'state') state = {...state, ...detail};
    for (const handler of handlers.get(event) || []) {
      try { handler(detail); } catch (e) { console.error(e); }
    }
  }, writable:false});
  // Existing wallpapers retain automatic readiness after their resources load.
  window.addEventListener('load', () => { if (!deferred) reportReady(); });
  window.addEventListener('error', event => {
    if (event.target !== window && ['IMG', 'SCRIPT', 'LINK', 'VIDEO', 'AUDIO'].includes(event.target?.tagName)) reportFailure();
  }, true);
  window.addEventListener('contextmenu', e => e.preventDefault());
  window.addEventListener('dragover', e => e.preventDefault());
  window.addEventListener('drop', e => e.preventDefault());
})();

)js";

// Wraps a document-creation script so that it only runs in the top-level document: the
// WebView runs such scripts in every frame, and frames must get neither the bridge nor
// the dispatcher.
std::string main_frame_only(std::string_view script);

}  // namespace core
