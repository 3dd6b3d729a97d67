'use strict';
// One connection from the stand-in WebView2Loader.dll (one player process, one
// environment): launches its Chromium, maps the DLL's calls onto DevTools commands and
// sends the browser's events back, and records what the page saw in the test's log.

const fs = require('node:fs');
const path = require('node:path');
const { Browser, splitArguments } = require('./cdp');
const { distinctColours } = require('./screenshot');
const { summariseNetLog } = require('./sandbox_watch');
const screencast = require('./screencast');

// chrome.webview in the main frame: postMessage goes out through a binding, messages
// from the host come in through __standinDeliver as 'message' events.
const WEBVIEW_SHIM = `(() => {
  if (window !== window.top) return;
  const post = window.__standinPost;
  const target = new EventTarget();
  const webview = {
    postMessage(message) { post(JSON.stringify(message === undefined ? null : message)); },
    addEventListener: (...a) => target.addEventListener(...a),
    removeEventListener: (...a) => target.removeEventListener(...a),
  };
  window.chrome = window.chrome || {};
  Object.defineProperty(window.chrome, 'webview', { value: webview });
  Object.defineProperty(window, '__standinDeliver', {
    value: data => target.dispatchEvent(new MessageEvent('message', { data, source: null })),
  });
  delete window.__standinPost;
})();`;

const SCREENSHOT_DELAY_MS = 1500;

class Client {
  constructor(socket, options) {
    this.socket = socket;
    this.options = options;
    this.views = new Map();          // view id → { sessionId, targetId, mainFrame, url }
    this.sessions = new Map();       // sessionId → view id
    this.requests = new Map();       // Fetch requestId → sessionId
    this.networkUrls = new Map();    // Network requestId → url
    this.popups = new Map();         // targetId → { sessionId, held requests, answer } of a new window
    this.attachWaiters = new Map();  // targetId → resolve(sessionId)
    this.unclaimed = new Map();      // targetId → sessionId of a paused target not yet claimed
    this.browser = null;
    this.logPath = null;
    this.faults = {};
    this.readyCount = 0;
    let buffer = '';
    socket.setEncoding('utf8');
    socket.on('data', chunk => {
      buffer += chunk;
      for (let end = buffer.indexOf('\n'); end >= 0; end = buffer.indexOf('\n')) {
        const line = buffer.slice(0, end);
        buffer = buffer.slice(end + 1);
        if (line) this.handle(JSON.parse(line)).catch(error => this.record(`relay error ${error.message}`));
      }
    });
    socket.on('error', () => {});
    socket.on('close', () => this.close());
  }

  record(text) {
    if (!this.logPath) return;
    try {
      fs.appendFileSync(this.logPath, `${text.replace(/\r?\n/g, ' ')}\n`);
    } catch {
      // The test that owned the log is over and its folder removed.
      this.logPath = null;
    }
  }

  // The events of one turn of the relay's loop leave in one write, as the runtime's IPC
  // carries a burst: a write each would cost the player a socket read each.
  emit(event) {
    if (this.socket.destroyed) return;
    if (!this.socket.writableCorked) {
      this.socket.cork();
      process.nextTick(() => this.socket.uncork());
    }
    this.socket.write(JSON.stringify(event) + '\n');
  }

  reply(message, result) {
    if (message.id !== undefined) this.emit({ re: message.id, ...result });
  }

  async handle(message) {
    const view = this.views.get(message.view);
    try {
      switch (message.op) {
        case 'launch':
          this.logPath = message.log || null;
          this.faults = message.faults || {};
          // Environments of one profile share one browser, as with the runtime.
          if (this.browser && !this.browser.exited) {
            this.record(`browser reused for another environment, arguments ${message.arguments}`);
          } else {
            this.launchArguments = splitArguments(message.arguments || '');
            await this.launch();
          }
          this.reply(message, { ok: true });
          break;
        case 'record':
          this.record(message.text);
          break;
        case 'createView':
          if (!this.browser || this.browser.exited) await this.launch();
          await this.createView(message.view);
          this.reply(message, { ok: true });
          break;
        case 'navigate': {
          const result = await this.send('Page.navigate', { url: message.url }, view);
          if (result.errorText) this.record(`page navigation failed ${message.url} ${result.errorText}`);
          break;
        }
        case 'listen':
          if (view) view.listening = message.on;
          if (view && !message.on) this.record('page messages no longer forwarded: the host has no handler');
          break;
        case 'addScript': {
          const added = await this.send('Page.addScriptToEvaluateOnNewDocument', { source: message.source }, view);
          this.reply(message, { ok: true, scriptId: added.identifier });
          break;
        }
        case 'removeScript':
          await this.send('Page.removeScriptToEvaluateOnNewDocument', { identifier: message.scriptId }, view);
          break;
        case 'eval':
          this.reply(message, { ok: true, json: await this.evaluate(view, message.expression) });
          break;
        case 'postJson':
          await this.send('Runtime.evaluate', { expression: `window.__standinDeliver?.(${message.json})` }, view);
          break;
        case 'fulfill':
          this.record(`served ${message.status} ${message.url}`);
          await this.browser.send('Fetch.fulfillRequest', {
            requestId: message.req, responseCode: message.status, responsePhrase: message.reason,
            responseHeaders: message.headers.map(([name, value]) => ({ name, value })), body: message.body,
          }, this.sessionOf(message.req));
          this.requests.delete(message.req);
          break;
        case 'continue':
          this.record(`continued ${message.url}`);
          await this.browser.send('Fetch.continueRequest', { requestId: message.req }, this.sessionOf(message.req));
          this.requests.delete(message.req);
          break;
        case 'fail':
          this.record(`cancelled ${message.url}`);
          await this.browser.send('Fetch.failRequest', { requestId: message.req, errorReason: 'Aborted' },
            this.sessionOf(message.req));
          this.requests.delete(message.req);
          break;
        case 'bounds':
          if (message.width > 0 && message.height > 0) {
            await this.send('Emulation.setDeviceMetricsOverride',
              { width: message.width, height: message.height, deviceScaleFactor: 1, mobile: false }, view);
          }
          break;
        case 'background':
          // The color the view renders underneath all web content (DefaultBackgroundColor).
          await this.send('Emulation.setDefaultBackgroundColorOverride',
            { color: { r: message.r, g: message.g, b: message.b, a: message.a / 255 } }, view);
          break;
        case 'screencast':
          await screencast.screencast(this, view, message);
          break;
        case 'frameShown':
          await screencast.shown(this, view, message);
          break;
        case 'mouse':
          await screencast.mouse(this, view, message);
          break;
        case 'newWindowAnswer':
          await this.answerNewWindow(message);
          break;
        case 'downloadAnswer':
          this.record(`download ${message.cancel ? 'cancelled' : 'allowed'} by the host ${message.guid}`);
          if (message.cancel) {
            await this.browser.send('Browser.cancelDownload', { guid: message.guid }).catch(() => {});
          }
          break;
        case 'visible':
          this.record(`page ${message.on ? 'shown' : 'hidden'} in view ${message.view}`);
          if (message.on && view && view.hiddenOnce) {
            setTimeout(() => this.screenshot(view).catch(error => this.record(`screenshot failed ${error.message}`)), 500);
          }
          if (view && !message.on) view.hiddenOnce = true;
          break;
        case 'lifecycle':
          await this.send('Page.setWebLifecycleState', { state: message.frozen ? 'frozen' : 'active' }, view);
          this.record(`page ${message.frozen ? 'frozen' : 'active'} in view ${message.view}`);
          break;
        case 'dialogAnswer':
          await this.send('Page.handleJavaScriptDialog', { accept: message.accept }, view).catch(() => {});
          break;
        case 'closeView':
          if (view) {
            this.views.delete(message.view);
            this.sessions.delete(view.sessionId);
            await this.browser.send('Target.closeTarget', { targetId: view.targetId }).catch(() => {});
          }
          break;
        default:
          throw new Error(`unknown operation ${message.op}`);
      }
    } catch (error) {
      this.reply(message, { ok: false, error: error.message });
      throw error;
    }
  }

  sessionOf(requestId) { return this.requests.get(requestId); }

  send(method, params, view) {
    if (!view) return Promise.reject(new Error(`${method}: no such view`));
    return this.browser.send(method, params, view.sessionId);
  }

  async launch() {
    const isolated = Boolean(this.faults.isolatedNetwork);
    const browser = new Browser(this.launchArguments, { isolated });
    this.browser = browser;
    this.record(`browser launched${isolated ? ' in a network namespace of its own' : ''} ${browser.arguments.join(' ')}`);
    this.record(`network watch on ports ${[...this.options.watched].join(',') || 'none'}`);
    browser.on('event', (method, params, sessionId) => {
      this.onEvent(method, params, sessionId).catch(error => this.record(`relay error ${method} ${error.message}`));
    });
    browser.on('exit', (code, signal) => {
      if (this.browser !== browser) return;
      this.record(`browser exited ${signal || code}`);
      for (const id of this.views.keys()) this.emit({ ev: 'processFailed', view: id, kind: 'browser' });
      this.views.clear();
      this.sessions.clear();
    });
    await browser.send('Target.setAutoAttach', { autoAttach: true, waitForDebuggerOnStart: true, flatten: true });
    await browser.send('Browser.setDownloadBehavior', {
      behavior: 'allowAndName', downloadPath: path.join(browser.profile, 'downloads'), eventsEnabled: true,
    });
  }

  async createView(id) {
    const { targetId } = await this.browser.send('Target.createTarget', { url: 'about:blank' });
    const sessionId = await this.claim(targetId);
    const view = { id, sessionId, targetId, mainFrame: targetId, url: 'about:blank', listening: true };
    this.views.set(id, view);
    this.sessions.set(sessionId, id);
    const send = (method, params = {}) => this.browser.send(method, params, sessionId);
    await Promise.all([
      send('Page.enable'), send('Runtime.enable'), send('Network.enable'), send('Log.enable'),
      send('Inspector.enable'),
      send('Fetch.enable', { patterns: [{ urlPattern: '*', requestStage: 'Request' }] }),
      send('Runtime.addBinding', { name: '__standinPost' }),
      send('Page.addScriptToEvaluateOnNewDocument', { source: WEBVIEW_SHIM }),
      send('Page.setLifecycleEventsEnabled', { enabled: true }),
    ]);
    const tree = await send('Page.getFrameTree');
    view.mainFrame = tree.frameTree.frame.id;
    await send('Runtime.runIfWaitingForDebugger');
    this.record(`view ${id} created`);
  }

  // Runs a script in the main frame's page world; the result as JSON ("null" when it
  // threw or has no JSON form), as ExecuteScript reports it.
  async evaluate(view, expression) {
    const result = await this.send('Runtime.evaluate', { expression, returnByValue: true, awaitPromise: false }, view);
    if (result.exceptionDetails) {
      this.record(`page script threw ${result.exceptionDetails.exception?.description || result.exceptionDetails.text}`);
      return 'null';
    }
    const json = result.result.value === undefined ? 'null' : JSON.stringify(result.result.value);
    if (expression.startsWith('window.__tessaryDispatch(')) {
      const seen = await this.send('Runtime.evaluate', {
        expression: 'JSON.stringify(window.wallpaper ? window.wallpaper.state : null)', returnByValue: true,
      }, view).catch(() => null);
      this.record(`page dispatched ${expression}`);
      this.record(`page state ${seen?.result?.value}`);
    }
    return json;
  }

  async onEvent(method, params, sessionId) {
    if (method === 'Target.attachedToTarget') return this.onAttached(params);
    if (method === 'Browser.downloadWillBegin') return this.onDownload(params);
    if (method === 'Browser.downloadProgress') {
      if (params.state !== 'inProgress') this.record(`download ${params.state} ${params.guid}`);
      return;
    }
    if (method === 'Fetch.requestPaused') {
      const popup = [...this.popups.values()].find(p => p.sessionId === sessionId);
      if (popup) return this.onPopupRequest(popup, params);
    }
    const viewId = this.sessions.get(sessionId);
    const view = this.views.get(viewId);
    if (!view) return;
    switch (method) {
      case 'Fetch.requestPaused': {
        this.requests.set(params.requestId, sessionId);
        const request = params.request;
        this.emit({
          ev: 'request', view: viewId, req: params.requestId, url: request.url + (request.urlFragment || ''),
          method: request.method, headers: request.headers, resourceType: params.resourceType,
          mainFrame: params.frameId === view.mainFrame,
        });
        break;
      }
      case 'Runtime.bindingCalled':
        if (params.name !== '__standinPost') break;
        // Dropped here while nothing in the host listens.
        if (!view.listening) break;
        // A page's megabytes would only bloat the test's log: their length is enough.
        this.record(`page posted ${params.payload.length > 256
          ? `${params.payload.slice(0, 64)}... (${params.payload.length} characters)` : params.payload}`);
        this.emit({ ev: 'message', view: viewId, json: params.payload, source: view.url });
        if (params.payload === '"ready"') this.onReady(view);
        break;
      case 'Page.frameStartedLoading':
        if (params.frameId === view.mainFrame) screencast.betweenPages(this, view, true);
        break;
      case 'Page.lifecycleEvent':
        if (params.frameId === view.mainFrame && ['firstPaint', 'firstContentfulPaint', 'load'].includes(params.name)) {
          screencast.betweenPages(this, view, false);
        }
        break;
      case 'Page.frameNavigated':
        if (params.frame.id === view.mainFrame) {
          view.url = params.frame.url;
          this.record(`page navigated ${view.url}`);
        }
        break;
      case 'Page.windowOpen':
        this.record(`page asked for a window ${params.url}`);
        view.windowOpen = params.url;
        break;
      case 'Runtime.consoleAPICalled': {
        const text = params.args.map(a => a.value ?? a.description ?? a.type).join(' ');
        this.record(`page console ${params.type} ${text}`);
        // A page's way to ask what has left the browser so far.
        if (text === 'standin netlog') this.record(summariseNetLog(this.browser.netLog));
        // What headless Chromium never reports (a protocol launch, a screen capture, a login,
        // certificates): the page asks, and the view raises the runtime's event.
        const ask = text.match(/^standin ask (\S+) (\S+)$/);
        if (ask) this.emit({ ev: 'ask', view: viewId, what: ask[1], uri: ask[2] });
        // A user's gesture in the page, which some browser features wait for.
        if (text === 'standin click') await this.send('Runtime.evaluate', { expression: '0', userGesture: true }, view);
        break;
      }
      case 'Page.javascriptDialogOpening':
        this.emit({ ev: 'dialog', view: viewId, kind: params.type, message: params.message });
        break;
      case 'Runtime.exceptionThrown':
        this.record(`page exception ${params.exceptionDetails.exception?.description || params.exceptionDetails.text}`);
        break;
      case 'Log.entryAdded':
        this.record(`page log ${params.entry.level} ${params.entry.source} ${params.entry.text}`);
        break;
      case 'Network.requestWillBeSent':
        this.networkUrls.set(params.requestId, params.request.url);
        break;
      case 'Network.loadingFailed':
        this.record(`page blocked ${this.networkUrls.get(params.requestId) || '?'} ` +
          `${params.blockedReason || params.corsErrorStatus?.corsError || params.errorText}`);
        break;
      case 'Network.webSocketCreated':
        this.record(`page websocket ${params.url}`);
        break;
      case 'Page.screencastFrame':
        screencast.frame(this, view, params);
        break;
      case 'Inspector.targetCrashed':
        this.record(`renderer crashed in view ${viewId}`);
        this.emit({ ev: 'processFailed', view: viewId, kind: 'render' });
        break;
      default:
        break;
    }
  }

  async onAttached({ sessionId, targetInfo }) {
    const waiter = this.attachWaiters.get(targetInfo.targetId);
    if (waiter) {
      this.attachWaiters.delete(targetInfo.targetId);
      waiter(sessionId);
      return;
    }
    const opener = [...this.views.values()].find(v => v.targetId === targetInfo.openerId);
    if (targetInfo.type === 'page' && opener) {
      // The popup runs (a paused one would stall the opener's renderer) but its requests
      // wait for the host's answer: nothing leaves before NewWindowRequested is handled.
      const popup = { sessionId, held: [], answered: false };
      this.popups.set(targetInfo.targetId, popup);
      await this.browser.send('Fetch.enable', { patterns: [{ urlPattern: '*' }] }, sessionId).catch(() => {});
      await this.browser.send('Runtime.runIfWaitingForDebugger', {}, sessionId).catch(() => {});
      // The opener hears the requested address (Page.windowOpen) around the same time.
      await new Promise(resolve => setTimeout(resolve, 200));
      const url = opener.windowOpen || targetInfo.url;
      opener.windowOpen = undefined;
      this.record(`new window requested ${url}`);
      this.emit({ ev: 'newWindow', view: opener.id, target: targetInfo.targetId, url });
      return;
    }
    // The target of a Target.createTarget may attach before its answer arrives; anything
    // left unclaimed (the browser's first tab, workers) runs on unobserved.
    this.unclaimed.set(targetInfo.targetId, sessionId);
    setTimeout(() => {
      if (this.unclaimed.delete(targetInfo.targetId)) {
        this.browser.send('Runtime.runIfWaitingForDebugger', {}, sessionId).catch(() => {});
      }
    }, 1000);
  }

  // The session of a target this relay created, once it attached (paused).
  claim(targetId) {
    const sessionId = this.unclaimed.get(targetId);
    if (sessionId !== undefined) {
      this.unclaimed.delete(targetId);
      return Promise.resolve(sessionId);
    }
    return new Promise(resolve => this.attachWaiters.set(targetId, resolve));
  }

  async answerNewWindow({ target, handled }) {
    const popup = this.popups.get(target);
    if (!popup) return;
    popup.answered = true;
    if (handled) {
      this.record(`new window refused by the host ${target}`);
      this.popups.delete(target);
      await this.browser.send('Target.closeTarget', { targetId: target }).catch(() => {});
    } else {
      this.record(`new window opened ${target}`);
      popup.allowed = true;
      for (const requestId of popup.held) {
        await this.browser.send('Fetch.continueRequest', { requestId }, popup.sessionId).catch(() => {});
      }
      popup.held = [];
    }
  }

  // A request of a popup: held until the host answered, then let go when it was allowed.
  onPopupRequest(popup, params) {
    this.record(`new window's request ${params.request.url}`);
    if (popup.allowed) {
      this.browser.send('Fetch.continueRequest', { requestId: params.requestId }, popup.sessionId).catch(() => {});
    } else {
      popup.held.push(params.requestId);
    }
  }

  onDownload(params) {
    const view = [...this.views.values()].find(v => v.mainFrame === params.frameId) || [...this.views.values()][0];
    this.record(`download starting ${params.url}`);
    if (view) this.emit({ ev: 'download', view: view.id, guid: params.guid, url: params.url });
  }

  onReady(view) {
    this.readyCount += 1;
    // One screenshot at a time per view: a page that repeats "ready" must not make thousands.
    if (!view.screenshotDue) {
      view.screenshotDue = true;
      setTimeout(() => {
        view.screenshotDue = false;
        this.screenshot(view).catch(error => this.record(`screenshot failed ${error.message}`));
      }, SCREENSHOT_DELAY_MS);
    }
    const crash = this.faults.crashRendererAfterReadyMs;
    const crashes = this.faults.crashRendererTimes;
    if (crash !== undefined && (crashes === undefined || (this.crashes = (this.crashes || 0) + 1) <= crashes)) {
      setTimeout(() => {
        this.record(`fault: crashing the renderer of view ${view.id}`);
        this.send('Page.crash', {}, view).catch(() => {});
      }, crash);
    }
    const kill = this.faults.killBrowserAfterReadyMs;
    if (kill !== undefined && !this.killedOnce) {
      this.killedOnce = true;
      setTimeout(() => {
        this.record('fault: killing the browser');
        this.browser.kill();
      }, kill);
    }
  }

  async screenshot(view) {
    if (!this.options.screenshots || !this.logPath || !this.views.has(view.id)) return;
    const shot = await this.send('Page.captureScreenshot', { format: 'png' }, view);
    const name = `${path.basename(this.logPath, path.extname(this.logPath))}-view${view.id}-${this.readyCount}.png`;
    const file = path.join(this.options.screenshots, name);
    fs.mkdirSync(this.options.screenshots, { recursive: true });
    fs.writeFileSync(file, Buffer.from(shot.data, 'base64'));
    const colours = await distinctColours(this, shot.data);
    this.record(`screenshot ${file} colours=${colours}`);
  }

  close() {
    if (this.browser) {
      this.record('host disconnected');
      this.browser.kill();
    }
  }
}

module.exports = { Client };
