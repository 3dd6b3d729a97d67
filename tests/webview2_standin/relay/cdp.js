'use strict';
// One Chromium driven over --remote-debugging-pipe: messages are JSON texts ended by a NUL
// byte, read by the browser from fd 3 and written by it to fd 4. Sessions are flat: a
// target's commands and events carry its sessionId.

const { spawn } = require('node:child_process');
const { EventEmitter } = require('node:events');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');

const CHROMIUM = process.env.TESSARY_CHROMIUM || '/usr/bin/chromium';
const FIXED_ARGUMENTS = [
  '--headless', '--no-sandbox', '--disable-gpu', '--no-first-run', '--remote-debugging-pipe',
  '--disable-popup-blocking',
];
// Chromium's own services stay quiet in tests, unless a test measures the program's
// arguments alone: then the browser runs without these, in a network namespace of its own
// whose only interface is a loopback, so that nothing leaves the machine even if the
// arguments fail, while the network log still shows every attempt.
const NETWORK_ARGUMENTS = [
  '--disable-quic', '--disable-background-networking', '--disable-component-update', '--disable-sync',
];
const ISOLATION = ['unshare', ['--net', '--', 'sh', '-c', 'ip link set lo up && exec "$0" "$@"']];

// Splits a command line the way a browser does: blanks separate, double quotes group.
function splitArguments(text) {
  const out = [];
  const pattern = /"([^"]*)"|(\S+)/g;
  let current = null;
  let last = -1;
  for (let match; (match = pattern.exec(text)) !== null;) {
    const piece = match[1] !== undefined ? match[1] : match[2];
    if (current !== null && match.index === last) current += piece;
    else {
      if (current !== null) out.push(current);
      current = piece;
    }
    last = pattern.lastIndex;
  }
  if (current !== null) out.push(current);
  return out;
}

class Browser extends EventEmitter {
  constructor(extraArguments, { isolated = false } = {}) {
    super();
    this.profile = fs.mkdtempSync(path.join(os.tmpdir(), 'tessary-standin-'));
    // Every socket and host lookup of the browser, for the sandbox checks.
    this.netLog = path.join(this.profile, 'net-log.json');
    this.arguments = [...FIXED_ARGUMENTS, ...(isolated ? [] : NETWORK_ARGUMENTS), `--user-data-dir=${this.profile}`,
      `--log-net-log=${this.netLog}`, ...extraArguments];
    const [program, prefix] = isolated ? [ISOLATION[0], [...ISOLATION[1], CHROMIUM]] : [CHROMIUM, []];
    this.child = spawn(program, [...prefix, ...this.arguments], { stdio: ['ignore', 'ignore', 'pipe', 'pipe', 'pipe'] });
    this.child.stderr.on('data', () => {});
    this.nextId = 1;
    this.pending = new Map();
    this.exited = false;
    let buffer = '';
    this.child.stdio[4].on('data', chunk => {
      buffer += chunk.toString('utf8');
      for (let end = buffer.indexOf('\0'); end >= 0; end = buffer.indexOf('\0')) {
        const text = buffer.slice(0, end);
        buffer = buffer.slice(end + 1);
        this.receive(JSON.parse(text));
      }
    });
    this.child.stdio[3].on('error', () => {});
    this.child.on('exit', (code, signal) => {
      this.exited = true;
      for (const { reject } of this.pending.values()) reject(new Error('browser exited'));
      this.pending.clear();
      this.emit('exit', code, signal);
      // Its helper processes may still be leaving files behind for a moment.
      fs.rm(this.profile, { recursive: true, force: true, maxRetries: 10, retryDelay: 100 }, () => {
        this.removed = true;
        this.emit('removed');
      });
    });
  }

  receive(message) {
    if (message.id !== undefined) {
      const waiter = this.pending.get(message.id);
      this.pending.delete(message.id);
      if (!waiter) return;
      if (message.error) waiter.reject(new Error(`${waiter.method}: ${message.error.message}`));
      else waiter.resolve(message.result);
    } else {
      this.emit('event', message.method, message.params || {}, message.sessionId);
    }
  }

  send(method, params = {}, sessionId = undefined) {
    if (this.exited) return Promise.reject(new Error('browser exited'));
    const id = this.nextId++;
    const message = { id, method, params };
    if (sessionId) message.sessionId = sessionId;
    return new Promise((resolve, reject) => {
      this.pending.set(id, { resolve, reject, method });
      this.child.stdio[3].write(JSON.stringify(message) + '\0');
    });
  }

  kill() {
    if (!this.exited) this.child.kill('SIGKILL');
  }

  // Resolves once the browser has exited and its profile is gone.
  ended() {
    return this.removed ? Promise.resolve() : new Promise(resolve => this.once('removed', resolve));
  }
}

module.exports = { Browser, splitArguments };
