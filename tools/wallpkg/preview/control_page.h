#pragma once

#include <string_view>

namespace wallpkg {

// The control strip: a page of its own on http://127.0.0.1:PORT/, outside the wallpaper's
// origin, that drives the previewed page through the preview's /api/ endpoints.
inline constexpr std::string_view kControlPolicy =
    "default-src 'none'; script-src 'self'; style-src 'self'; connect-src 'self'; img-src 'self'; "
    "base-uri 'none'; form-action 'none'; frame-ancestors 'none'";

inline constexpr std::string_view kControlHtml = R"html(<!doctype html>
<html lang="en">
<head>
  <meta charset="utf-8">
  <title>Tessary preview</title>
  <link rel="stylesheet" href="/control.css">
</head>
<body>
  <header>
    <h1 id="title">Tessary preview</h1>
    <a id="open" target="tessary-wallpaper" href="#">Open the wallpaper</a>
  </header>
  <p id="folder-error" hidden></p>
  <section class="row">
    <span id="readiness">not opened yet</span>
    <button id="pause">Pause</button>
    <button id="resume">Resume</button>
    <button id="fps30">30 fps</button>
    <button id="fps60">60 fps</button>
    <button id="reload">Reload page</button>
  </section>
  <p id="status" hidden></p>
  <section>
    <p>Click the screen below to send the page a desktop click there.</p>
    <div id="pad"><span id="mark"></span></div>
  </section>
  <section id="problems-section" hidden>
    <h2>Problems</h2>
    <ol id="problems"></ol>
  </section>
  <section>
    <h2>Messages</h2>
    <ol id="messages"></ol>
  </section>
  <script src="/control.js"></script>
</body>
</html>
)html";

inline constexpr std::string_view kControlCss = R"css(body { font: 14px system-ui, sans-serif; margin: 16px; color: #1d2433; background: #fbf6ee; }
header { display: flex; align-items: baseline; gap: 16px; }
h1 { font-size: 18px; margin: 0 0 8px; }
h2 { font-size: 15px; }
.row { display: flex; flex-wrap: wrap; gap: 8px; align-items: center; }
#readiness { min-width: 240px; font-weight: 600; }
#readiness.failed, #folder-error, #status { color: #b42318; }
#readiness.ready { color: #067647; }
#readiness.troubled, #problems { color: #b54708; }
#problems { font-family: ui-monospace, monospace; font-size: 12px; }
button.on { background: #1d2433; color: #fff; }
#pad { position: relative; width: min(640px, 100%); aspect-ratio: 16 / 9; background: #101828; cursor: crosshair; border-radius: 6px; }
#mark { position: absolute; width: 10px; height: 10px; margin: -5px 0 0 -5px; border-radius: 50%; background: #fdb022; display: none; pointer-events: none; }
#messages { font-family: ui-monospace, monospace; font-size: 12px; }
)css";

inline constexpr std::string_view kControlJs = R"js('use strict';
const element = id => document.getElementById(id);
// Commands carry a header that a cross-site form or image cannot send.
const command = path => fetch(path, { method: 'POST', headers: { 'X-Tessary-Preview': '1' } });
let latest = null;
let receivedAt = 0;

const seconds = ms => (ms / 1000).toFixed(1);
function renderReadiness() {
  const view = element('readiness');
  view.className = '';
  if (!latest || latest.document === 0) { view.textContent = 'not opened yet'; return; }
  if (latest.failed) { view.textContent = 'failed'; view.className = 'failed'; return; }
  if (latest.ready) {
    const problems = latest.page_problems;
    view.textContent = `ready after ${seconds(latest.load_ms)} s` +
      (problems ? `, but with ${problems} problem${problems === 1 ? '' : 's'}: it may show nothing` : '');
    view.className = problems ? 'troubled' : 'ready';
    return;
  }
  const elapsed = latest.load_ms + (performance.now() - receivedAt);
  view.textContent = `loading: ${seconds(Math.min(elapsed, latest.limit_ms))} s of ${seconds(latest.limit_ms)} s`;
}
setInterval(renderReadiness, 200);

function render(state) {
  latest = state;
  receivedAt = performance.now();
  element('title').textContent = state.id ? `Tessary preview: ${state.id}` : 'Tessary preview';
  const open = element('open');
  if (state.entry) open.href = `http://wlp.localhost:${location.port}/${state.entry}`;
  const folderError = element('folder-error');
  folderError.hidden = !state.folder_error;
  folderError.textContent = state.folder_error || '';
  const status = element('status');
  status.hidden = !state.status;
  status.textContent = state.status || '';
  element('pause').classList.toggle('on', state.paused);
  element('resume').classList.toggle('on', !state.paused);
  element('fps30').classList.toggle('on', state.fps === 30);
  element('fps60').classList.toggle('on', state.fps === 60);
  element('problems-section').hidden = state.problems.length === 0;
  element('problems').replaceChildren(...state.problems.map(text => {
    const item = document.createElement('li');
    item.textContent = text;
    return item;
  }));
  const list = element('messages');
  list.replaceChildren(...state.messages.slice().reverse().map(text => {
    const item = document.createElement('li');
    item.textContent = text;
    return item;
  }));
  renderReadiness();
}

element('pause').addEventListener('click', () => command('/api/pause'));
element('resume').addEventListener('click', () => command('/api/resume'));
element('fps30').addEventListener('click', () => command('/api/fps?value=30'));
element('fps60').addEventListener('click', () => command('/api/fps?value=60'));
element('reload').addEventListener('click', () => command('/api/reload'));
element('pad').addEventListener('click', event => {
  const pad = element('pad');
  const x = Math.min(Math.max(event.offsetX / pad.clientWidth, 0), 0.9999);
  const y = Math.min(Math.max(event.offsetY / pad.clientHeight, 0), 0.9999);
  const mark = element('mark');
  mark.style.left = `${x * 100}%`;
  mark.style.top = `${y * 100}%`;
  mark.style.display = 'block';
  command(`/api/click?x=${x}&y=${y}`);
});

(async () => {
  let revision = 0;
  for (;;) {
    try {
      const response = await fetch(`/api/status?after=${revision}`, { cache: 'no-store' });
      const state = await response.json();
      revision = state.revision;
      render(state);
    } catch (error) {
      element('readiness').textContent = 'the preview has stopped';
      await new Promise(resolve => setTimeout(resolve, 2000));
    }
  }
})();
)js";

}  // namespace wallpkg
