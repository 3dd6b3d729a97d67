'use strict';
// `wallpkg preview` in a real Chromium: the page on http://wlp.localhost:PORT/ with the
// player's headers and bridge, driven from the control strip on http://127.0.0.1:PORT/.
// Usage: node preview_test.js <wallpkg> <samples folder>
// Prints "ok"/"not ok" per test and the closing line "N passed, N failed".

const assert = require('node:assert/strict');
const { spawn, spawnSync } = require('node:child_process');
const fs = require('node:fs');
const http = require('node:http');
const os = require('node:os');
const path = require('node:path');
const readline = require('node:readline');
const { chromium } = require('playwright-core');
const { CHROMIUM, CHROMIUM_ARGS, POLICY, suite, run } = require('./harness');


const { tests, test, report, finish } = suite();
const sleep = ms => new Promise(resolve => setTimeout(resolve, ms));

function startPreview(wallpkg, folder) {
  const child = spawn(wallpkg, ['preview', folder], { stdio: ['ignore', 'pipe', 'pipe'] });
  const lines = [];
  const errors = [];
  readline.createInterface({ input: child.stderr }).on('line', line => errors.push(line));
  return new Promise((resolve, reject) => {
    child.on('error', reject);
    child.on('exit', code => reject(new Error(`preview ended with ${code}`)));
    readline.createInterface({ input: child.stdout }).on('line', line => {
      lines.push(line);
      const controls = /^controls: http:\/\/127\.0\.0\.1:(\d+)\/$/.exec(line);
      if (controls) {
        const port = Number(controls[1]);
        resolve({ port, lines, errors, page: lines[0].replace(/^preview [^:]*: /, ''), stop: () => child.kill() });
      }
    });
  });
}

// A raw request, so that nothing normalises the path or the Host header first.
function raw(port, target, host, method = 'GET', headers = {}) {
  return new Promise((resolve, reject) => {
    const request = http.request({ host: '127.0.0.1', port, path: target, method, headers: { Host: host, ...headers } },
      response => {
        let body = '';
        response.on('data', chunk => { body += chunk; });
        response.on('end', () => resolve({ status: response.statusCode, headers: response.headers, body }));
      });
    request.on('error', reject);
    request.end();
  });
}

const command = (preview, query) => raw(preview.port, query, `127.0.0.1:${preview.port}`, 'POST', { 'X-Tessary-Preview': '1' });
const status = async preview => JSON.parse((await raw(preview.port, '/api/status', `127.0.0.1:${preview.port}`)).body);

async function waitFor(predicate, what, ms = 10000) {
  const deadline = Date.now() + ms;
  for (;;) {
    const value = await predicate();
    if (value) return value;
    if (Date.now() > deadline) throw new Error(`timed out waiting for ${what}`);
    await sleep(100);
  }
}

test('the page gets the player\'s headers and bridge, and reports ready to the preview', async ({ preview, context }) => {
  const page = await context.newPage();
  const response = await page.goto(preview.page, { waitUntil: 'load' });
  assert.equal(response.status(), 200);
  const headers = response.headers();
  assert.equal(headers['content-security-policy'], POLICY);
  assert.equal(headers['cache-control'], 'no-store, max-age=0');
  assert.equal(headers['x-content-type-options'], 'nosniff');
  assert.equal(headers['content-type'], 'text/html; charset=utf-8');
  await waitFor(async () => (await status(preview)).ready, 'ready');
  assert.deepEqual(await page.evaluate(() => ({
    frozen: Object.isFrozen(window.wallpaper), dispatch: typeof window.__tessaryDispatch, state: window.wallpaper.state,
  })), { frozen: true, dispatch: 'function', state: { paused: false, fps: 30, volume: 0 } });
  assert.ok(preview.lines.includes('wallpaper bridge ready'), preview.lines.join('\n'));
  assert.ok(preview.lines.includes('state paused=false fps=30'), preview.lines.join('\n'));
  // The page's own policy still holds: nothing inline, nothing from elsewhere.
  const inline = await page.evaluate(async () => {
    const script = document.createElement('script');
    script.textContent = 'window.inlineRan = true;';
    document.body.append(script);
    let foreign;
    try { await fetch('http://127.0.0.1:1/'); foreign = 'allowed'; } catch (error) { foreign = 'blocked'; }
    return { inline: window.inlineRan === true, foreign };
  });
  assert.deepEqual(inline, { inline: false, foreign: 'blocked' });
  await page.close();
});

test('pause, frame rate and clicks from the control strip reach the page', async ({ preview, context }) => {
  const page = await context.newPage();
  await page.goto(preview.page, { waitUntil: 'load' });
  await waitFor(async () => (await status(preview)).ready, 'ready');
  await page.evaluate(() => {
    window.seen = [];
    window.wallpaper.on('state', s => window.seen.push(['state', s.paused, s.fps]));
    window.wallpaper.on('click', c => window.seen.push(['click', c.x, c.y]));
  });
  // The state pushed on readiness may reach the page after the handlers were added; it
  // is the unchanged state, so it is left out of what the commands must cause.
  const seen = async () => {
    const all = await page.evaluate(() => window.seen);
    return JSON.stringify(all[0]) === JSON.stringify(['state', false, 30]) ? all.slice(1) : all;
  };
  assert.equal((await command(preview, '/api/fps?value=60')).status, 204);
  await waitFor(async () => (await seen()).length === 1, 'fps 60');
  await command(preview, '/api/click?x=0.25&y=0.5');
  await waitFor(async () => (await seen()).length === 2, 'the click');
  await command(preview, '/api/pause');
  await waitFor(async () => (await seen()).length === 3, 'the pause');
  await command(preview, '/api/click?x=0.5&y=0.5');  // paused: the player drops it
  await command(preview, '/api/resume');
  await waitFor(async () => (await seen()).length === 4, 'the resume');
  assert.deepEqual(await seen(), [['state', false, 60], ['click', 0.25, 0.5], ['state', true, 60], ['state', false, 60]]);
  // Commands need the control page's header; bad values are refused.
  assert.equal((await raw(preview.port, '/api/pause', `127.0.0.1:${preview.port}`, 'POST')).status, 403);
  assert.equal((await command(preview, '/api/fps?value=25')).status, 400);
  assert.equal((await command(preview, '/api/click?x=1&y=0')).status, 400);
  await command(preview, '/api/fps?value=30');
  await page.close();
});

test('the control page shows readiness and sends a click where the screen was clicked', async ({ preview, context }) => {
  const page = await context.newPage();
  await page.goto(preview.page, { waitUntil: 'load' });
  await page.evaluate(() => { window.clicks = []; window.wallpaper.on('click', c => window.clicks.push(c)); });
  const controls = await context.newPage();
  await controls.goto(`http://127.0.0.1:${preview.port}/`, { waitUntil: 'load' });
  await controls.waitForFunction(() => document.getElementById('readiness').textContent.startsWith('ready after'));
  assert.equal(await controls.getAttribute('#open', 'href'), preview.page);
  const pad = await controls.locator('#pad').boundingBox();
  await controls.mouse.click(pad.x + pad.width * 0.75, pad.y + pad.height * 0.25);
  await waitFor(async () => (await page.evaluate(() => window.clicks.length)) === 1, 'the click');
  const [click] = await page.evaluate(() => window.clicks);
  assert.ok(Math.abs(click.x - 0.75) < 0.01 && Math.abs(click.y - 0.25) < 0.01, JSON.stringify(click));
  await controls.close();
  await page.close();
});

test('paths that leave the folder, other hosts and non-loopback addresses are refused', async ({ preview }) => {
  const host = `wlp.localhost:${preview.port}`;
  const escaped = await raw(preview.port, '/../manifest.json', host);
  assert.equal(escaped.status, 404);
  assert.equal(escaped.headers['content-security-policy'], POLICY);
  assert.equal(escaped.headers['content-length'], '0');
  await waitFor(() => preview.lines.includes('wallpaper resource rejected or missing: ../manifest.json'), 'the refusal');
  assert.equal((await raw(preview.port, '/manifest.json', host)).status, 404);
  assert.equal((await raw(preview.port, '/index.html', `attacker.example:${preview.port}`)).status, 421);
  // Listening on 127.0.0.1 only, never on every address.
  const listening = fs.readFileSync('/proc/net/tcp', 'utf8').split('\n')
    .map(line => line.trim().split(/\s+/)).filter(f => f[3] === '0A' && f[1] && f[1].endsWith(`:${preview.port.toString(16).toUpperCase().padStart(4, '0')}`))
    .map(f => f[1].split(':')[0]);
  assert.deepEqual(listening, ['0100007F']);
});

test('a page that floods the player\'s channel is no longer heard, as by the player', async ({ preview, context }) => {
  const page = await context.newPage();
  await page.goto(preview.page, { waitUntil: 'load' });
  await waitFor(async () => (await status(preview)).ready, 'ready');
  // 2 x 600 KiB within a second is over the budget; the failure after it goes unheard.
  await page.evaluate(() => {
    window.ipc.postMessage('x'.repeat(600 * 1024));
    window.ipc.postMessage('x'.repeat(600 * 1024));
    window.wallpaper.failed();
  });
  const flood = 'wallpaper page posts more than 1000 messages or 1 MiB a second; no longer listening to it';
  await waitFor(() => preview.lines.includes(flood), 'the flood line');
  await sleep(300);
  assert.equal((await status(preview)).failed, false);
  // A body too long to hold is skipped unread, and floods a fresh document all the same.
  await page.reload({ waitUntil: 'load' });
  await waitFor(async () => (await status(preview)).ready, 'ready again');
  const answered = page.waitForResponse(response => response.url().includes('/.tessary/message') &&
    (response.request().postData() || '').length > 1024 * 1024);
  await page.evaluate(() => window.ipc.postMessage('x'.repeat(5 * 1024 * 1024)));
  assert.equal((await answered).status(), 413);
  await waitFor(() => preview.lines.filter(line => line === flood).length === 2, 'the second flood line');
  await page.close();
});

// Written as the demos people copy: inline code, an import map, a CDN and a font service.
const AS_COPIED = `<!doctype html>
<html>
<head>
  <link href="https://fonts.example.com/css2?family=Inter" rel="stylesheet">
  <script src="https://cdn.example.com/lib.js"></script>
  <script type="importmap">
    { "imports": { "three": "./three.module.js" } }
  </script>
</head>
<body>
  <canvas id="scene"></canvas>
  <script>
    window.started = true;
  </script>
  <script type="module" src="main.js"></script>
</body>
</html>
`;

async function asCopied(wallpkg, work, context) {
  const folder = path.join(work, 'as-copied');
  fs.mkdirSync(folder);
  fs.writeFileSync(path.join(folder, 'manifest.json'), '{"id":"as-copied","name":"A","version":1,"entry":"index.html","fps":30}');
  fs.writeFileSync(path.join(folder, 'index.html'), AS_COPIED);
  fs.writeFileSync(path.join(folder, 'main.js'), "import * as THREE from 'three';\nconsole.log(THREE);\n");
  const preview = await startPreview(wallpkg, folder);
  try {
    // Lint's warnings come first, in the terminal, with file, line and fix. Standard error is
    // its own stream: they may arrive just after the address on standard output.
    const warnings = [
      'warning: index.html:4: stylesheet from another origin is blocked: https://fonts.example.com/css2?family=Inter: download it, and the font files it names, into the folder',
      'warning: index.html:6: inline import map is blocked: bundle the modules into one file, or import them by relative paths (\'./lib/three.module.js\')',
      'warning: index.html:12: inline script is blocked: move it into a .js file and load it with <script src="...">',
      "warning: main.js:1: bare module specifier 'three' cannot be resolved (import maps are blocked): bundle the modules into one file, or import the module's file by a relative path ('./...')",
    ];
    await waitFor(() => warnings.every(line => preview.errors.includes(line)), "lint's warnings", 3000)
      .catch(error => { throw new Error(`${error.message}\n${preview.errors.join('\n')}`); });
    const page = await context.newPage();
    const opened = Date.now();
    await page.goto(preview.page, { waitUntil: 'load' });
    const wanted = [
      'page: inline script in index.html line 12 is blocked: move it into a .js file and load it with <script src="...">',
      'page: inline import map in index.html line 6 is blocked: bundle the modules into one file, or import them by relative paths (\'./lib/three.module.js\')',
      'page: blocked by the policy (script-src-elem): https://cdn.example.com/lib.js: download the script into the folder and load it by a relative path',
      'page: blocked by the policy (style-src-elem): https://fonts.example.com/css2?family=Inter (asked for in index.html line 4): download the stylesheet, and the font files it names, into the folder',
      'page: <script> failed to load: https://cdn.example.com/lib.js: it is not the wallpaper\'s own file; copy it into the folder',
    ];
    await waitFor(() => wanted.every(line => preview.lines.includes(line)), `the reasons\n${preview.lines.join('\n')}`, 3000);
    assert.ok(Date.now() - opened < 1000 + 500, `${Date.now() - opened} ms`);
    // The failed script fails the wallpaper, as in the player.
    await waitFor(async () => (await status(preview)).failed, 'failed');
    await page.close();

    // Without the CDN and the font service the page gets ready: its load event comes, but
    // the module's bare import failed, and the author hears that it may show nothing.
    fs.writeFileSync(path.join(folder, 'index.html'), AS_COPIED.replace(/^.*https:.*\n/gm, ''));
    const again = await context.newPage();
    await again.goto(preview.page, { waitUntil: 'load' });
    await waitFor(async () => (await status(preview)).ready, 'ready');
    await waitFor(() => preview.lines.some(line => line.startsWith('the page reported ready, but it has problems')),
      `ready with problems\n${preview.lines.join('\n')}`);
    assert.ok(preview.lines.some(line => line.startsWith('page: uncaught error') && line.includes('bundle the modules')),
      preview.lines.join('\n'));
    const state = await status(preview);
    assert.ok(state.problems.includes('inline script in index.html line 10 is blocked: move it into a .js file and load it with <script src="...">'),
      JSON.stringify(state.problems));
    const controls = await context.newPage();
    await controls.goto(`http://127.0.0.1:${preview.port}/`, { waitUntil: 'load' });
    await controls.waitForFunction(() => document.getElementById('readiness').textContent.includes('problems'));
    assert.ok((await controls.textContent('#problems')).includes('inline import map in index.html line 4 is blocked'));
    await controls.close();
    await again.close();

    // A second preview on the same port is refused, not served alternately.
    const second = spawnSync(wallpkg, ['preview', folder, '--port', String(preview.port)], { encoding: 'utf8', timeout: 5000 });
    assert.equal(second.status, 1);
    assert.ok(second.stderr.endsWith(`error: cannot listen on 127.0.0.1:${preview.port}: the port is in use (another preview?); ` +
      'name another with --port, or leave --port out for a free one\n'), second.stderr);
  } finally {
    preview.stop();
  }
}

async function main() {
  // Absolute, because `new` runs in a scratch folder.
  const [wallpkg, samples] = process.argv.slice(2).map(argument => path.resolve(argument));
  const work = fs.mkdtempSync(path.join(os.tmpdir(), 'tessary-preview-'));
  const profile = path.join(work, 'profile');
  let context;
  const previews = [];
  try {
    context = await chromium.launchPersistentContext(profile, {
      executablePath: CHROMIUM, headless: true, args: CHROMIUM_ARGS,
    });
    // The template that `wallpkg new` writes, previewed as an author would.
    const made = spawnSync(wallpkg, ['new', 'preview-template'], { cwd: work, encoding: 'utf8' });
    assert.equal(made.status, 0, made.stderr);
    const preview = await startPreview(wallpkg, path.join(work, 'preview-template'));
    previews.push(preview);
    for (const { name, body } of tests) {
      try { await body({ preview, context }); report(name); } catch (error) { report(name, error); }
    }

    try {
      await asCopied(wallpkg, work, context);
      report('an as-copied page hears why it is blocked within a second, and a busy port is refused');
    } catch (error) {
      report('an as-copied page hears why it is blocked within a second, and a busy port is refused', error);
    }

    // Every sample plays: it gets ready within the player's limit, with nothing to complain about.
    for (const sample of fs.readdirSync(samples).sort()) {
      const name = `the sample ${sample} gets ready in the preview`;
      try {
        const one = await startPreview(wallpkg, path.join(samples, sample));
        previews.push(one);
        const page = await context.newPage();
        await page.goto(one.page, { waitUntil: 'load' });
        await waitFor(async () => (await status(one)).ready, `${sample} ready`, 15000);
        const state = await status(one);
        assert.equal(state.failed, false);
        assert.deepEqual(state.problems, []);
        // Pause reaches CSS animations too: the player's state is the page's to apply.
        await command(one, '/api/pause');
        await waitFor(() => page.evaluate(() => document.getAnimations().every(a => a.playState === 'paused')),
          `${sample} animations paused`, 3000);
        await page.close();
        report(name);
      } catch (error) {
        report(name, error);
      }
    }

    // A folder that breaks a rule is refused as lint refuses it.
    const broken = path.join(work, 'broken');
    fs.mkdirSync(broken);
    fs.writeFileSync(path.join(broken, 'manifest.json'), '{"id":"broken","name":"B","version":1,"entry":"index.html","fps":25}');
    fs.writeFileSync(path.join(broken, 'index.html'), '<p>');
    const refused = spawnSync(wallpkg, ['preview', broken], { encoding: 'utf8' });
    const linted = spawnSync(wallpkg, ['lint', broken], { encoding: 'utf8' });
    try {
      assert.equal(refused.status, 1);
      assert.equal(refused.stderr, 'error: manifest.json: fps must be 30 or 60\n');
      assert.equal(refused.stderr, linted.stderr);
      report('a broken folder is refused with the lint message');
    } catch (error) {
      report('a broken folder is refused with the lint message', error);
    }
  } catch (error) {
    report('preview set-up', error);
  } finally {
    if (context) await context.close();
    for (const preview of previews) preview.stop();
    fs.rmSync(work, { recursive: true, force: true });
  }
  finish();
}

run(main, 'preview tests');
