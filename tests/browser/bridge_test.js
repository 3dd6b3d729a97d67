'use strict';
// The page side in a real Chromium: the loopback fixture server answers
// http://wlp.localhost/ with the player's asset handler, and every page gets, in its main
// frame only, the window.ipc shim and the bridge script exactly as the player installs
// them, over a stand-in for WebView2's message channel that records what the page posts.
// Usage: node bridge_test.js <fixture server> <fixture folder>
// Prints "ok"/"not ok" per test and the closing line "N passed, N failed".

const assert = require('node:assert/strict');
const { spawn } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const readline = require('node:readline');
const { chromium } = require('playwright-core');
const { CHROMIUM, CHROMIUM_ARGS, POLICY, suite, run } = require('./harness');

const ORIGIN = 'http://wlp.localhost/';
// Long enough for a message posted by the page to cross the binding, so that "nothing
// more was sent" means something.
const SETTLE_MS = 400;

const { tests, test, report, finish } = suite();
const settle = (ms = SETTLE_MS) => new Promise(resolve => setTimeout(resolve, ms));

function startServer(exe, fixture) {
  const child = spawn(exe, [fixture], { stdio: ['ignore', 'pipe', 'inherit'] });
  const refusals = [];
  return new Promise((resolve, reject) => {
    child.on('error', reject);
    child.on('exit', code => reject(new Error(`fixture server ended with ${code}`)));
    let info = null;
    readline.createInterface({ input: child.stdout }).on('line', line => {
      if (info === null) {
        info = JSON.parse(line);
        resolve({ ...info, refusals, stop: () => child.kill() });
      } else if (line.startsWith('refused ')) {
        refusals.push(JSON.parse(line.slice('refused '.length)));
      }
    });
  });
}

async function control(server, query) {
  const response = await fetch(`http://127.0.0.1:${server.port}${query}`);
  assert.equal(response.status, 200);
  return response.text();
}

// The player's readiness rule applied to what the page posted, after elapsed_ms.
async function readiness(server, messages, elapsedMs) {
  const query = `/readiness?elapsed_ms=${elapsedMs}&messages=${encodeURIComponent(messages.join(','))}`;
  return JSON.parse(await control(server, query));
}

async function dispatchState(server, page, paused, fps) {
  const script = await control(server, `/dispatch?paused=${paused}&fps=${fps}`);
  assert.equal(script, `window.__tessaryDispatch("state",{"fps":${fps},"paused":${paused},"volume":0});`);
  await page.evaluate(script);
}

test('a page without scripts reports ready on load', async ({ server, open, posted }) => {
  const { page, response } = await open('index.html');
  assert.equal(response.status(), 200);
  assert.equal(response.headers()['content-security-policy'], POLICY);
  assert.equal(response.headers()['cache-control'], 'no-store, max-age=0');
  await settle();
  assert.deepEqual(posted(page), ['ready']);
  assert.deepEqual(await readiness(server, posted(page), 15000), { fired: false, ready: true, failed: false });
});

test('deferReady and then silence fails the page after 15 seconds on the player side', async ({ server, open, posted }) => {
  const { page } = await open('deferred.html');
  await settle();
  assert.deepEqual(posted(page), []);
  assert.deepEqual(await readiness(server, posted(page), 14999), { fired: false, ready: false, failed: false });
  assert.deepEqual(await readiness(server, posted(page), 15000), { fired: true, ready: false, failed: true });
  // A late "ready" no longer counts once the limit has failed the page.
  await page.evaluate(() => window.wallpaper.ready());
  await settle();
  assert.deepEqual(posted(page), ['ready']);
});

test('ready twice sends one ready', async ({ open, posted }) => {
  const { page } = await open('manual.html');
  await settle();
  assert.deepEqual(posted(page), []);
  await page.evaluate(() => { window.wallpaper.ready(); window.wallpaper.ready(); });
  await settle();
  assert.deepEqual(posted(page), ['ready']);
});

test('failed after ready sends asset-error once and the player clears ready', async ({ server, open, posted }) => {
  const { page } = await open('manual.html');
  await page.evaluate(() => { window.wallpaper.ready(); window.wallpaper.failed(); window.wallpaper.failed(); });
  await settle();
  assert.deepEqual(posted(page), ['ready', 'asset-error']);
  assert.deepEqual(await readiness(server, posted(page), 0), { fired: false, ready: false, failed: true });
});

test('ready after failed sends nothing', async ({ open, posted }) => {
  const { page } = await open('manual.html');
  await page.evaluate(() => { window.wallpaper.failed(); window.wallpaper.ready(); });
  await settle();
  assert.deepEqual(posted(page), ['asset-error']);
});

test('a broken image reports asset-error and the asset protocol logs the refusal', async ({ server, open, posted }) => {
  const before = server.refusals.length;
  const { page } = await open('broken-image.html');
  await settle();
  // The failure came first, so the load event no longer reports readiness.
  assert.deepEqual(posted(page), ['asset-error']);
  assert.deepEqual(server.refusals.slice(before).filter(line => !line.endsWith('favicon.ico')),
                   ['wallpaper resource rejected or missing: img/missing.png']);
});

test('on registers a function once, its remover removes it, a non-function is ignored', async ({ server, open }) => {
  const { page } = await open('index.html');
  await page.evaluate(() => {
    window.calls = [];
    window.record = detail => window.calls.push(detail.fps);
    window.removeFirst = window.wallpaper.on('state', window.record);
    window.removeSecond = window.wallpaper.on('state', window.record);
    window.ignored = window.wallpaper.on('state', 42);
    window.wallpaper.on('state', () => { throw new Error('a broken handler'); });
    window.wallpaper.on('state', () => window.calls.push('after the broken one'));
  });
  await dispatchState(server, page, true, 60);
  assert.deepEqual(await page.evaluate(() => window.calls), [60, 'after the broken one']);
  assert.equal(await page.evaluate(() => typeof window.ignored), 'function');
  assert.equal(await page.evaluate(() => window.ignored()), undefined);
  await page.evaluate(() => window.removeSecond());
  await dispatchState(server, page, false, 30);
  assert.deepEqual(await page.evaluate(() => window.calls), [60, 'after the broken one', 'after the broken one']);
  // Removing twice, or removing from an event nobody subscribed to, is harmless.
  assert.equal(await page.evaluate(() => window.removeFirst()), false);
});

test('state is merged before the handlers run and every copy is frozen', async ({ server, open }) => {
  const { page } = await open('index.html');
  assert.deepEqual(await page.evaluate(() => window.wallpaper.state), { paused: false, fps: 30, volume: 0 });
  await page.evaluate(() => {
    window.seen = [];
    window.wallpaper.on('state', () => window.seen.push(window.wallpaper.state.paused));
  });
  await dispatchState(server, page, true, 60);
  assert.deepEqual(await page.evaluate(() => window.seen), [true]);
  assert.deepEqual(await page.evaluate(() => window.wallpaper.state), { paused: true, fps: 60, volume: 0 });
  const copies = await page.evaluate(() => {
    'use strict';
    const state = window.wallpaper.state;
    let change;
    try { state.paused = false; change = 'changed'; } catch (error) { change = error.name; }
    return { frozen: Object.isFrozen(state), fresh: state !== window.wallpaper.state, change, after: window.wallpaper.state.paused };
  });
  assert.deepEqual(copies, { frozen: true, fresh: true, change: 'TypeError', after: true });
  // A partial detail keeps the other members.
  await page.evaluate(() => window.__tessaryDispatch('state', { fps: 30 }));
  assert.deepEqual(await page.evaluate(() => window.wallpaper.state), { paused: true, fps: 30, volume: 0 });
});

test('window.wallpaper and the dispatcher cannot be replaced', async ({ open }) => {
  const { page } = await open('index.html');
  const result = await page.evaluate(() => {
    const original = window.wallpaper;
    const dispatcher = window.__tessaryDispatch;
    window.wallpaper = null;
    window.__tessaryDispatch = null;
    window.wallpaper.extra = 1;
    return {
      same: window.wallpaper === original && window.__tessaryDispatch === dispatcher,
      frozen: Object.isFrozen(window.wallpaper),
      extra: 'extra' in window.wallpaper,
      ipcFrozen: Object.isFrozen(window.ipc),
    };
  });
  assert.deepEqual(result, { same: true, frozen: true, extra: false, ipcFrozen: true });
});

test('the context menu, dragover and drop are cancelled', async ({ open }) => {
  const { page } = await open('index.html');
  const cancelled = await page.evaluate(() => {
    const fire = event => { document.body.dispatchEvent(event); return event.defaultPrevented; };
    return {
      contextmenu: fire(new MouseEvent('contextmenu', { bubbles: true, cancelable: true })),
      dragover: fire(new DragEvent('dragover', { bubbles: true, cancelable: true })),
      drop: fire(new DragEvent('drop', { bubbles: true, cancelable: true })),
      // Other events keep their default: the listeners are specific.
      click: fire(new MouseEvent('click', { bubbles: true, cancelable: true })),
    };
  });
  assert.deepEqual(cancelled, { contextmenu: true, dragover: true, drop: true, click: false });
});

test('frames get neither the bridge nor the dispatcher', async ({ open, posted }) => {
  const { page } = await open('index.html');
  const frame = await page.evaluate(() => {
    const element = document.createElement('iframe');
    document.body.append(element);
    const inner = element.contentWindow;
    return { wallpaper: typeof inner.wallpaper, dispatch: typeof inner.__tessaryDispatch, ipc: typeof inner.ipc };
  });
  assert.deepEqual(frame, { wallpaper: 'undefined', dispatch: 'undefined', ipc: 'undefined' });
  await settle();
  assert.deepEqual(posted(page), ['ready']);
});

test('the content security policy blocks inline and foreign scripts, foreign fetches, frames and workers', async ({ open }) => {
  const { page } = await open('csp.html');
  const outcome = await page.evaluate(async () => {
    const result = { sameOrigin: Array.isArray(window.violations), inline: window.inlineRan === true, foreign: window.evilRan === true };
    try { await fetch('http://other.test/data.json'); result.fetch = 'allowed'; } catch (error) { result.fetch = 'blocked'; }
    try { await fetch('/index.html'); result.ownFetch = 'allowed'; } catch (error) { result.ownFetch = 'blocked'; }
    const frame = document.createElement('iframe');
    frame.src = 'other.html';
    document.body.append(frame);
    try {
      const worker = new Worker('worker.js');
      result.worker = await new Promise(resolve => {
        worker.onmessage = () => resolve('ran');
        worker.onerror = () => resolve('blocked');
        setTimeout(() => resolve('silent'), 2000);
      });
    } catch (error) {
      result.worker = 'refused';
    }
    await new Promise(resolve => setTimeout(resolve, 500));
    let frameText = null;
    try { frameText = frame.contentDocument && frame.contentDocument.body ? frame.contentDocument.body.textContent : null; } catch (error) { frameText = 'inaccessible'; }
    result.frameLoaded = frameText !== null && frameText.includes('other page');
    result.directives = [...new Set(window.violations.map(violation => violation.directive))].sort();
    return result;
  });
  assert.equal(outcome.sameOrigin, true, 'a same-origin script runs');
  assert.equal(outcome.inline, false, 'inline script ran');
  assert.equal(outcome.foreign, false, 'foreign script ran');
  assert.equal(outcome.fetch, 'blocked');
  assert.equal(outcome.ownFetch, 'allowed');
  assert.equal(outcome.frameLoaded, false, 'frame loaded');
  assert.notEqual(outcome.worker, 'ran');
  assert.deepEqual(outcome.directives, ['connect-src', 'frame-src', 'script-src-elem', 'worker-src']);
});

test('frames are paced and held, and animations held, for a page that ignores state', async ({ server, open }) => {
  const { page } = await open('index.html');
  // Over half a second: the page's frames, the shortest gap between them, and the
  // browser's, counted in a frame inside the page, which the player's scripts skip.
  const frames = () => page.evaluate(() => new Promise(resolve => {
    const inner = document.body.appendChild(document.createElement('iframe')).contentWindow;
    const stamps = [];
    let browser = 0;
    const end = performance.now() + 500;
    const count = () => { browser += 1; if (performance.now() < end) inner.requestAnimationFrame(count); };
    const own = time => {
      stamps.push(time);
      if (performance.now() < end) requestAnimationFrame(own);
      else setTimeout(() => resolve({ skipped: browser - stamps.length,
        gap: Math.min(...stamps.slice(1).map((stamp, i) => stamp - stamps[i])) }), 50);
    };
    inner.requestAnimationFrame(count);
    requestAnimationFrame(own);
  }));
  // Nothing held before the first state; 60 on Chromium's 60 Hz skips nothing.
  assert.ok((await frames()).skipped <= 1);
  await dispatchState(server, page, false, 30);
  assert.ok((await frames()).gap > 31);
  await dispatchState(server, page, false, 60);
  assert.ok((await frames()).skipped <= 1);

  // Held while paused: callbacks (one cancelled), a CSS animation and Web Animations, but
  // not the one the page pauses itself meanwhile.
  await page.evaluate(() => {
    document.head.appendChild(document.createElement('style')).textContent =
      '@keyframes spin { to { rotate: 1turn; } } .spin { animation: spin 1s infinite; } .still { animation-play-state: paused; }';
    window.spin = document.body.appendChild(Object.assign(document.createElement('p'), { className: 'spin' }));
    window.own = [0, 1].map(() => document.body.animate({ opacity: [1, 0.5] }, { duration: 1000, iterations: Infinity }));
    window.seen = () => [window.spin.getAnimations()[0].playState, ...window.own.map(a => a.playState), window.ran];
  });
  await dispatchState(server, page, true, 60);
  await page.evaluate(() => {
    window.ran = [];
    cancelAnimationFrame(requestAnimationFrame(() => window.ran.push('cancelled')));
    requestAnimationFrame(time => window.ran.push(time > window.heldAt && time <= performance.now()));
    window.heldAt = performance.now();
    window.own[1].pause();
  });
  await settle();
  assert.deepEqual(await page.evaluate(() => window.seen()), ['paused', 'paused', 'paused', []]);
  // Resumed: the held callback, with the time stamp of the frame it runs in.
  await dispatchState(server, page, false, 60);
  await settle();
  assert.deepEqual(await page.evaluate(() => window.seen()), ['running', 'running', 'paused', [true]]);
  // The CSS animation still follows the page's own animation-play-state.
  await page.evaluate(() => window.spin.classList.add('still'));
  assert.equal((await page.evaluate(() => window.seen()))[0], 'paused');
});

async function main() {
  const [serverExe, fixture] = process.argv.slice(2);
  const server = await startServer(serverExe, fixture);
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'tessary-chromium-'));
  let context;
  try {
    context = await chromium.launchPersistentContext(profile, {
      executablePath: CHROMIUM,
      headless: true,
      args: [
        ...CHROMIUM_ARGS, '--disable-quic',
        `--host-resolver-rules=MAP wlp.localhost 127.0.0.1:${server.port}, MAP other.test 127.0.0.1:${server.port}`,
      ],
    });
    const messages = new Map();
    await context.exposeBinding('__tessaryRecord', ({ page, frame }, message) => {
      if (frame !== page.mainFrame()) throw new Error('a frame reached the message channel');
      if (!messages.has(page)) messages.set(page, []);
      messages.get(page).push(message);
    });
    // WebView2's channel, as far as the shim needs it; then the player's three scripts.
    await context.addInitScript({ content:
      "if (window === window.top) { Object.defineProperty(window.chrome || (window.chrome = {}), 'webview', " +
      '{ value: { postMessage: s => window.__tessaryRecord(String(s)) } }); }' });
    await context.addInitScript({ content: server.shim });
    await context.addInitScript({ content: server.bridge });
    await context.addInitScript({ content: server.pacing });

    for (const { name, body } of tests) {
      const pages = [];
      const open = async file => {
        const page = await context.newPage();
        pages.push(page);
        const response = await page.goto(ORIGIN + file, { waitUntil: 'load' });
        return { page, response };
      };
      const posted = page => [...(messages.get(page) || [])];
      try {
        await body({ server, open, posted });
        report(name);
      } catch (error) {
        report(name, error);
      } finally {
        for (const page of pages) await page.close();
      }
    }
  } catch (error) {
    report('browser set-up', error);
  } finally {
    if (context) await context.close();
    server.stop();
    fs.rmSync(profile, { recursive: true, force: true });
  }
  finish();
}

run(main, 'browser tests');
